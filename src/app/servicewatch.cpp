#include "servicewatch.h"

#include "accounts/accounttable.h"
#include "engine/engine.h"
#include "events/txqueue.h"
#include "ipserver/ipserver.h"
#include "metrics/figures.h"
#include "store/queuejournal.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace {

// The status line goes to the service manager at most this often, unless the link changes.
constexpr qint64 statusIntervalMs = 1000;

} // namespace

ServiceWatch::ServiceWatch(Sources sources, QObject *parent)
    : QObject(parent)
    , m_sources(sources) {
    connect(&m_sources.engine, &Engine::ticked, this, &ServiceWatch::ticked);
}

void ServiceWatch::ready() {
    sampleEveryTick();
    sampleEverySecond();
    const QString status = statusText();
    figures().setStatusText(status);
    m_sentStatus = status;
    m_sentLinkState = linkState();
    m_notifier.notify("READY=1\nSTATUS=" + status.toUtf8());
    m_sinceStatus.start();
    m_sincePing.start();
}

void ServiceWatch::stopping() {
    m_notifier.notify("STOPPING=1");
}

void ServiceWatch::ticked() {
    stallWhileAsked();
    figures().tickRan(steadyNowNs());
    sampleEveryTick();
    if (!m_sinceSample.isValid() || m_sinceSample.elapsed() >= statusIntervalMs)
        sampleEverySecond();
    pingWatchdog();
    publishStatus();
}

void ServiceWatch::stallWhileAsked() const {
    while (!m_stallFile.isEmpty() && QFileInfo::exists(m_stallFile))
        QThread::msleep(50);
}

void ServiceWatch::pingWatchdog() {
    const qint64 interval = m_notifier.watchdogPingIntervalMs();
    if (interval <= 0 || !m_sincePing.isValid() || m_sincePing.elapsed() < interval)
        return;
    m_sincePing.start();
    m_notifier.notify("WATCHDOG=1");
}

// A change of the link (a fault, its end) is said at once; the counts at most once a second.
void ServiceWatch::publishStatus() {
    if (!m_sinceStatus.isValid())
        return; // not ready yet
    const QString status = statusText();
    if (status == m_sentStatus)
        return;
    const QString link = linkState();
    if (link == m_sentLinkState && m_sinceStatus.elapsed() < statusIntervalMs)
        return;
    figures().setStatusText(status);
    m_notifier.notify("STATUS=" + status.toUtf8());
    m_sentStatus = status;
    m_sentLinkState = link;
    m_sinceStatus.start();
}

QString ServiceWatch::linkState() const {
    Engine &engine = m_sources.engine;
    if (!engine.status().comOk)
        return QStringLiteral("Tx link FAULT");
    if (!engine.isLineStarted(Line::Tx))
        return QStringLiteral("Tx link stopped");
    if (figures().value(Gauge::TxSecondaryActive) != 0)
        return QStringLiteral("Tx link OK (secondary)");
    return QStringLiteral("Tx link OK");
}

QString ServiceWatch::statusText() const {
    return QStringLiteral("%1; Pending Messages %2; Tx Pending %3; IP connections %4")
        .arg(linkState())
        .arg(figures().value(Gauge::PendingMessages))
        .arg(figures().value(Gauge::TxPending))
        .arg(figures().value(Gauge::Connections));
}

void ServiceWatch::sampleEveryTick() {
    Engine &engine = m_sources.engine;
    Figures &out = figures();
    const TxLinkState &link = engine.txLink().state();
    out.set(Gauge::Connections, m_sources.ipServer.openConnections());
    out.set(Gauge::PendingMessages, engine.pendingMessages().size());
    out.set(Gauge::TxPending, m_sources.txQueue.size());
    out.set(Gauge::TxLinkFault, engine.status().comOk ? 0 : 1);
    const bool onSecondary = link.phase == TxPhase::Secondary || link.phase == TxPhase::BackupCopy;
    out.set(Gauge::TxSecondaryActive, onSecondary ? 1 : 0);
    const std::pair<int, Gauge> lines[] = {
        {Line::Zorer1, Gauge::Line1Up}, {Line::Zorer2, Gauge::Line2Up}, {Line::Tx, Gauge::Line5Up}};
    for (const auto &[line, gauge] : lines)
        out.set(gauge, engine.isLineStarted(line) && !engine.slot(line).deviceLost ? 1 : 0);
}

// What takes a lock on the account table or asks the file system, once a second.
void ServiceWatch::sampleEverySecond() {
    m_sinceSample.start();
    Figures &out = figures();
    AccountTable &accounts = m_sources.accounts;
    out.set(Gauge::Accounts, accounts.AccountCount());
    out.set(Gauge::AccountsPollFailed,
            accounts.countWhere([](const AccountRecord &record) { return record.pollFailed; }));
    out.set(Gauge::JournalBytes,
            QFileInfo(QDir::current().filePath(QueueJournal::fileName)).size());
}
