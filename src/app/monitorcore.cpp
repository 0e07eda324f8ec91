#include "monitorcore.h"

#include "clocksync.h"
#include "durablequeues.h"
#include "messagefilter.h"
#include "servicewatch.h"
#include "watchserver.h"

#include "accounts/accountnumbers.h"
#include "accounts/pollsupervision.h"
#include "common/namedlocks.h"
#include "common/steadyclock.h"
#include "decoder/messagedecoder.h"
#include "engine/engine.h"
#include "engine/receivertroubles.h"
#include "ipserver/enginewiring.h"
#include "ipserver/ipserver.h"
#include "ipserver/pollreportlines.h"
#include "ipserver/receiveroptions.h"
#include "ipserver/receiveroutput.h"
#include "ipserver/repeatedmessages.h"
#include "protocol/messageaccount.h"
#include "settings/settingsstore.h"
#include "strings/eventtexts.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>

namespace {

constexpr int minuteMs = 60000;

QString besideAccounts(const AccountTable &accounts, const QString &fileName) {
    return QFileInfo(accounts.filePath()).dir().filePath(fileName);
}

// What changes when a file is written or replaced: empty while it does not exist.
QString fileStamp(const QString &path) {
    const QFileInfo file(path);
    if (!file.exists())
        return {};
    return QString::number(file.size()) + QLatin1Char(' ') +
           QString::number(file.lastModified().toMSecsSinceEpoch()) + QLatin1Char(' ') +
           QString::number(file.metadataChangeTime().toMSecsSinceEpoch());
}

Dc09Options dc09Options(const Settings &settings) {
    Dc09Options options;
    options.enabled = settings.flag(SettingKey::Dc09On);
    options.receive.acceptClear = settings.flag(SettingKey::Dc09AcceptClear);
    options.receive.checkClearTime = settings.flag(SettingKey::Dc09CheckClearTime);
    return options;
}

// "Max Connections", brought into its range when it was read.
int maxConnections(const Settings &settings) {
    return settings.integer(SettingKey::MaxConnections);
}

} // namespace

MonitorCore::MonitorCore(OperatorDialogs &dialogs, Beeper &beeper, const MonitorOptions &options,
                         QObject *parent)
    : QObject(parent)
    , m_dc09Keys(besideAccounts(m_accounts, Dc09Keys::fileName))
    , m_options(options) {
    if (!m_options.clockSynchronised)
        m_options.clockSynchronised = systemClockSynchronised;
    m_troubles = std::make_unique<ReceiverTroubles>(m_settings, m_txQueue, m_logs);
    m_engine = std::make_unique<Engine>(
        Engine::Services{m_settings, m_logs, m_accounts, m_lists, m_txQueue, dialogs, beeper});
    createDecoder();
    createIpReceiver(options.listenAddress);
    watchTroubles();
    m_engine->setSetupWindowOpen(false);
    m_watch = std::make_unique<ServiceWatch>(
        ServiceWatch::Sources{*m_engine, *m_ipServer, m_accounts, m_txQueue}, this);
    m_watch->setStallFile(options.stallFile);
    m_watchServer = std::make_unique<WatchServer>();
}

MonitorCore::~MonitorCore() {
    shutDown();
}

// The event texts are built before any message can arrive.
void MonitorCore::createDecoder() {
    m_eventTexts = std::make_unique<EventTexts>();
    m_decoder = std::make_unique<MessageDecoder>(
        m_lists, m_txQueue, m_logs, m_accounts, *m_eventTexts,
        MessageDecoder::Hooks{
            [this] {
                DecoderSettings decoderSettings;
                decoderSettings.prefix = {m_settings.text(SettingKey::RxNum).toLatin1(),
                                          m_settings.text(SettingKey::RxLine).toLatin1()};
                decoderSettings.format =
                    static_cast<OutputFormat>(m_settings.integer(SettingKey::OutputFormat));
                return decoderSettings;
            },
            [this] { m_engine->txLink().reloadAttemptsIfIdle(); }});
    m_engine->setDecoder([this](const QByteArray &source, const QByteArray &message) {
        m_decoder->Process_data(source, message);
    });
}

// The IP receiver with poll supervision behind it. Its connections hand their work to the engine
// queued; the minute timer counts the polled accounts down.
void MonitorCore::createIpReceiver(const QHostAddress &listenAddress) {
    m_pollReportLines = std::make_unique<PollReportLines>(m_settings, m_txQueue, m_logs);
    m_polls = std::make_unique<PollSupervision>(m_accounts, *m_pollReportLines, [this] {
        return m_settings.integer(SettingKey::PollTimeOut);
    });
    m_ipServer = std::make_unique<IpServer>(m_accounts, *m_polls, m_logs);
    m_ipServer->setListenAddress(listenAddress);
    m_ipServer->setOtherReservedDescriptors(WatchServer::heldDescriptors);
    connect(m_ipServer.get(), &IpServer::connectionLimitApplied, this,
            &MonitorCore::reportConnectionLimit);
    m_ipServer->setDc09Keys(&m_dc09Keys);
    m_ipServer->setDc09Options([this] { return dc09Options(m_settings); });
    m_ipServer->setReceiverOptions([this] { return receiverOptionsFrom(m_settings); });
    connectReceiverToEngine(m_ipServer->output(), *m_engine);
    // An alarm is decoded as soon as it is stored, and its line leaves at once.
    connect(&m_ipServer->output(), &ReceiverOutput::messagesArrived, m_engine.get(),
            &Engine::decodeArrivals);
    m_engine->setIpServer(m_ipServer.get());

    m_minuteTimer = new QTimer(this);
    m_minuteTimer->setObjectName(QStringLiteral("MinTimer1"));
    m_minuteTimer->setInterval(minuteMs);
    connect(m_minuteTimer, &QTimer::timeout, this, [this] { m_polls->minuteTick(); });
    m_minuteTimer->start();
}

void MonitorCore::loadStore() {
    wireSettingsToLogs();
    reportSettingsRead(readSettings(m_settings));
    m_ipServer->setConnectionLimit(maxConnections(m_settings));
    NamedLocks::createStandardLocks();
    loadAccounts();
    loadDc09Keys();
    watchDc09Keys();
    openQueueJournal();
    openRepeatMemory();
}

void MonitorCore::startLines() {
    m_engine->resetState();
    restartLines();
}

void MonitorCore::wireSettingsToLogs() {
    m_logs.setSaveEnabled(m_settings.flag(SettingKey::SaveRx));
    connect(&m_settings, &Settings::changed, this, [this](SettingKey key) {
        if (key == SettingKey::SaveRx)
            m_logs.setSaveEnabled(m_settings.flag(SettingKey::SaveRx));
        if (key == SettingKey::MaxConnections)
            m_ipServer->setConnectionLimit(maxConnections(m_settings));
    });
}

void MonitorCore::reportSettingsRead(const SettingsReadResult &result) {
    if (!result.damaged)
        return;
    const QString damage = result.damage.isEmpty()
                               ? tr("Settings file cannot be read")
                               : tr("Settings file damaged (%1)").arg(result.damage);
    const QString readAs = tr("the other values read, defaults for the rest");
    if (result.keptAs.isEmpty()) {
        // Nowhere to keep it: leave it in place rather than write over it.
        m_settingsWritable = false;
        reportStoreFailure(
            tr("%1 and cannot be moved aside; %2, settings not saved").arg(damage, readAs),
            result.fileName);
        return;
    }
    reportStoreFailure(tr("%1; kept as %2; %3").arg(damage, result.keptAs, readAs),
                       result.fileName);
}

void MonitorCore::loadAccounts() {
    const AccountTable::Result loaded =
        m_accounts.ReadAccRec(m_settings.integer(SettingKey::PollTimeOut));
    if (!loaded.ok)
        reportStoreFailure(
            tr("Account file cannot be read (%1); no accounts loaded, the file is kept and not "
               "saved over")
                .arg(loaded.error),
            m_accounts.filePath());
    QList<QByteArray> texts;
    for (const AccountRecord &record : m_accounts.records())
        texts.append(AccNumString(record.accNum));
    noteContactIdLookalikes(texts, m_accounts.filePath());
}

// An account written "123A" is not the account of its panel's Contact ID reports, which carry
// 1230: an installer who meant the panel must write 1230. Said once for each.
void MonitorCore::noteContactIdLookalikes(const QList<QByteArray> &accountTexts,
                                          const QString &subject) {
    for (const QByteArray &text : accountTexts) {
        const std::optional<QByteArray> reading = contactIdReadingOf(text);
        if (!reading || m_lookalikesSaid.contains(text.toUpper()))
            continue;
        m_lookalikesSaid.insert(text.toUpper());
        const QString note =
            tr("account %1: Contact ID sends 0 as \"A\", so its panel's Contact ID reports carry "
               "account %2 and are taken as %2, not as %1")
                .arg(QString::fromLatin1(text), QString::fromLatin1(*reading));
        m_logs.logStoreFailure(note, subject);
        qCWarning(monitorMessages).noquote() << subject + QStringLiteral(": ") + note;
    }
}

// The lines are named by number only: a bad line may hold a key.
void MonitorCore::loadDc09Keys() {
    const Dc09Keys::LoadResult loaded = m_dc09Keys.load();
    const QString path = m_dc09Keys.filePath();
    if (!loaded.error.isEmpty())
        reportStoreFailure(
            tr("DC-09 key file cannot be read (%1); its keys stay as they were").arg(loaded.error),
            path);
    // Said once, not at every read, until the file is made private and exposed again.
    if (loaded.exposed && !std::exchange(m_dc09KeysExposureSaid, true))
        reportStoreFailure(tr("DC-09 key file can be read by other users; make it readable by "
                              "its owner only (chmod 600)"),
                           path);
    else if (!loaded.exposed && loaded.error.isEmpty())
        m_dc09KeysExposureSaid = false;
    noteContactIdLookalikes(m_dc09Keys.accountTexts(), path);
    if (loaded.badLines.isEmpty())
        return;
    QStringList numbers;
    for (int line : loaded.badLines)
        numbers.append(QString::number(line));
    const QString lines = numbers.join(QStringLiteral(", "));
    if (loaded.keptPrevious) {
        reportStoreFailure(tr("DC-09 key file does not read whole (line %1); the keys read "
                              "before stay in use until it does")
                               .arg(lines),
                           path);
        return;
    }
    const QString problem = numbers.size() == 1
                                ? tr("line %1 holds no account and DC-09 key; skipped")
                                : tr("lines %1 hold no account and DC-09 key; skipped");
    reportStoreFailure(problem.arg(lines), path);
}

// A centre adds panels by writing the key file by hand: a change takes effect within seconds,
// without a restart that would leave the receiver deaf meanwhile. A stat every few seconds is
// cheaper than watching a directory that every log line touches. A change is read once the file
// has stayed the same for one check, so an editor's write in progress is not taken for the file.
void MonitorCore::watchDc09Keys() {
    m_dc09KeysStamp = fileStamp(m_dc09Keys.filePath());
    auto *timer = new QTimer(this);
    timer->setInterval(dc09KeysCheckMs);
    connect(timer, &QTimer::timeout, this, [this] {
        const QString stamp = fileStamp(m_dc09Keys.filePath());
        if (stamp == m_dc09KeysStamp || stamp != std::exchange(m_dc09KeysChanging, stamp))
            return;
        m_dc09KeysStamp = stamp;
        loadDc09Keys();
    });
    timer->start();
}

// The monitor's own trouble, said to the automation software under the receiver account. Its
// hold-offs end on the tick; the self-test's restart is over once the operator stops the server.
void MonitorCore::watchTroubles() {
    m_engine->setTroubleReports(m_troubles.get());
    m_ipServer->setTroubleReports(m_troubles.get());
    connect(m_engine.get(), &Engine::ticked, m_troubles.get(), &ReceiverTroubles::sayDue);
    connect(&m_engine->ipServerToggle(), &IpServerToggle::serverStateChanged, this,
            [this](bool active) {
                if (!active)
                    m_troubles->troubleState(ReceiverTrouble::IpRestarted, false);
            });
    // On whichever thread the journal found it: the troubles take it from any.
    connect(
        &m_journal, &QueueJournal::storingChanged, this,
        [this](bool storing, quint64 change) { m_troubles->journalStoring(storing, change); },
        Qt::DirectConnection);
}

// Where the state cannot be read, nothing is said either way.
void MonitorCore::checkClock() {
    if (const std::optional<bool> synchronised = m_options.clockSynchronised())
        m_troubles->troubleState(ReceiverTrouble::ClockUnsynchronised, !*synchronised);
}

// The queues come back before any line or the IP server is started, so a restored "Tx Pending"
// goes out first and nothing new is acknowledged before the journal takes it.
void MonitorCore::openQueueJournal() {
    connect(&m_journal, &QueueJournal::failed, this,
            [this](const QString &error) { reportStoreFailure(error, QueueJournal::fileName); });
    connect(&m_journal, &QueueJournal::recovered, this,
            [this](const QString &note) { reportStoreRecovery(note, QueueJournal::fileName); });
    const QString problem = restoreQueues(m_journal, m_engine->pendingMessages(), m_txQueue);
    m_engine->setJournal(&m_journal);
    m_ipServer->setJournal(&m_journal);
    // After what the journal held: the restored lines are older than this start.
    m_troubles->start(m_options.previousRunEndedCleanly);
    if (!problem.isEmpty())
        reportStoreFailure(problem, QueueJournal::fileName);
}

// The DC-09 messages of the last minutes, kept beside the queues so a restart does not let a
// repeat or a replay of one be queued again.
void MonitorCore::openRepeatMemory() {
    const QString path = QDir::current().filePath(RepeatedMessages::fileName);
    const QString error = m_ipServer->repeatedMessages().open(path, steadyNowMs());
    if (!error.isEmpty())
        reportStoreFailure(tr("Repeat memory cannot be read (%1); DC-09 messages of the last "
                              "minutes before the start are not known")
                               .arg(error),
                           RepeatedMessages::fileName);
}

// A stored file the monitor could not use is said everywhere the operator or a service manager
// may look: the windows (through storeFailed), "IP_EXPlog.TXT" and standard error.
void MonitorCore::reportStoreFailure(const QString &error, const QString &subject) {
    m_storeFailures.append(QStringLiteral("%1: %2").arg(subject, error));
    emit storeFailed(m_storeFailures.join(QStringLiteral(" | ")));
    m_logs.logStoreFailure(error, subject);
    qCWarning(monitorMessages).noquote() << subject + QStringLiteral(": ") + error;
}

// Said when the server starts and when "Max Connections" changes while it runs, in the places
// of a stored file's failure: panels over the limit in effect are refused, and the operator
// should know why before they are.
void MonitorCore::reportConnectionLimit(const ConnectionLimit &limit) {
    const QString subject = QStringLiteral("Max Connections");
    if (!limit.reduced()) {
        if (std::exchange(m_connectionLimitReduced, false))
            reportStoreRecovery(tr("%1 connections in effect, as set").arg(limit.setting), subject);
        return;
    }
    m_connectionLimitReduced = true;
    dropNotices(subject);
    reportStoreFailure(tr("set to %1, but the open-file limit of %2 less the %3 descriptors kept "
                          "for the monitor's own work leaves %4: at most %4 connections are "
                          "taken (raise the limit: LimitNOFILE in the unit, ulimit -n)")
                           .arg(limit.setting)
                           .arg(limit.openFiles)
                           .arg(limit.reserved)
                           .arg(limit.inEffect),
                       subject);
}

void MonitorCore::dropNotices(const QString &subject) {
    const QString prefix = subject + QStringLiteral(": ");
    m_storeFailures.removeIf(
        [&prefix](const QString &failure) { return failure.startsWith(prefix); });
}

void MonitorCore::reportStoreRecovery(const QString &note, const QString &subject) {
    const QString prefix = subject + QStringLiteral(": ");
    dropNotices(subject);
    emit storeRecovered(
        (QStringList(m_storeFailures) << prefix + note).join(QStringLiteral(" | ")));
    m_logs.logStoreFailure(note, subject);
    qCWarning(monitorMessages).noquote() << prefix + note;
}

void MonitorCore::restartLines() {
    if (m_settings.flag(SettingKey::Port1Open))
        m_engine->startStop(1);
    if (m_settings.flag(SettingKey::Port2Open))
        m_engine->startStop(2);
    // With no connection open yet, the toggle cannot refuse: it starts the server on its port.
    if (m_settings.flag(SettingKey::TcpOpen))
        m_engine->ipServerToggle().toggle(IpServerToggle::Caller::Operator);
    m_settings.setFlag(SettingKey::SpareOpen, false);
    if (m_settings.flag(SettingKey::TxOpen))
        m_engine->startStop(5);
}

void MonitorCore::saveSettings() {
    if (!m_settingsWritable)
        return;
    auto store = openSettingsStore();
    if (!Write_Registry(m_settings, *store) && !m_settingsBackupFailed) {
        m_settingsBackupFailed = true; // said once, not at every save
        reportStoreFailure(QStringLiteral("The previous settings file cannot be kept as "
                                          "%1.bak; settings written without that copy")
                               .arg(QFileInfo(store->fileName()).fileName()),
                           store->fileName());
    }
}

void MonitorCore::startTimer() {
    const QString problems = m_watchServer->start(m_options.metricsAddress, m_options.metricsPort);
    if (!problems.isEmpty())
        qCWarning(monitorMessages).noquote() << QStringLiteral("Cannot serve ") + problems;
    m_watch->ready();
    checkClock();
    auto *clockTimer = new QTimer(this);
    clockTimer->setInterval(clockCheckMs);
    connect(clockTimer, &QTimer::timeout, this, &MonitorCore::checkClock);
    clockTimer->start();
    m_engine->startTimer();
}

void MonitorCore::shutDown() {
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_watch->stopping();
    // Every connection is ended and its thread joined before anything it uses goes away. The
    // server is stopped directly, not through the toggle: "TCP Open" keeps saying it ran.
    m_minuteTimer->stop();
    m_ipServer->deactivate();
    m_engine->closePorts();
    saveSettings();
    m_watchServer->stop();
}
