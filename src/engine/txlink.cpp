#include "txlink.h"

#include "common/integertext.h"
#include "common/logbook.h"
#include "common/operatordialogs.h"
#include "events/txqueue.h"
#include "ipservercontrol.h"
#include "ipservertoggle.h"
#include "protocol/automationlines.h"
#include "protocol/framing.h"
#include "settings/settings.h"

#include <QSerialPort>
#include <QTcpSocket>
#include <QThread>
#include <limits>
#include <utility>

namespace {

constexpr int ticksPerSecond = 10;
constexpr int selfTestInterval = 600;
constexpr int firstBeepDelay = 5;
constexpr quint8 defaultTerminator = 0x14;

// The numbers the link multiplies into ticks or narrows into a byte or a port, with the range it
// can work with. A number outside is replaced by the nearest bound, so that no setting overflows
// a tick counter, goes out as a different terminator byte or port, or keeps the attempts from
// ever running out.
struct SettingRange {
    SettingKey key;
    int minimum;
    int maximum;
};
constexpr int maxSeconds = 3600;
constexpr int maxAttempts = 100;
constexpr SettingRange settingRanges[] = {
    {SettingKey::TxAtt, 1, maxAttempts},    {SettingKey::TxTimeout, 1, maxSeconds},
    {SettingKey::HeartBeat, 0, maxSeconds}, {SettingKey::FltTimer, 0, maxSeconds},
    {SettingKey::TermChar, 0, 255},         {SettingKey::TxIpPort, 1, 65535},
    {SettingKey::TxIpPort2, 1, 65535},      {SettingKey::TcpPort, 1, 65535},
};

SettingRange rangeOf(SettingKey key) {
    for (const SettingRange &range : settingRanges) {
        if (range.key == key)
            return range;
    }
    return {key, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
}

} // namespace

TxLink::TxLink(Services services, QObject *parent)
    : QObject(parent)
    , m_services(services)
    , m_oneSecondWait([] { QThread::msleep(1000); }) {}

TxLink::~TxLink() = default;

std::optional<int> TxLink::settingInteger(SettingKey key) {
    const QString text = m_services.settings.text(key);
    const SettingRange range = rangeOf(key);
    const auto bounded = boundedIntegerFromText(text, range.minimum, range.maximum);
    if (!bounded) {
        m_services.logs.logConversionFailure(text);
        return std::nullopt;
    }
    if (bounded->clamped) {
        m_services.logs.logConversionFailure(
            text, outOfRangeMessage(text, *bounded, range.minimum, range.maximum));
    }
    return bounded->value;
}

void TxLink::reloadAttempts() {
    if (const auto attempts = settingInteger(SettingKey::TxAtt))
        m_state.TxAttemptsLeft = *attempts;
}

void TxLink::reloadAttemptsIfIdle() {
    if (m_state.TxWaitTicks == 0)
        reloadAttempts();
}

// The backup copy is a second delivery over the network; a serial link has only its one port.
bool TxLink::forceBackup() const {
    return m_state.TxViaTcp && m_services.settings.flag(SettingKey::ForceBackup);
}

bool TxLink::secondaryConfigured() const {
    return !m_services.settings.text(SettingKey::TxIpAdd2).isEmpty() &&
           !m_services.settings.text(SettingKey::TxIpPort2).isEmpty();
}

void TxLink::start() {
    m_state.TxAttemptsLeft = 1;
    m_state.TxOnSecondary = false;
    m_state.BackupAfterFailure = false;
    m_state.TxWaitTicks = 0;
    if (const auto seconds = settingInteger(SettingKey::HeartBeat))
        m_state.HeartbeatTicks = *seconds * ticksPerSecond;
}

void TxLink::stop() {
    m_state.HeartbeatTicks = 0;
    m_state.TxViaTcp = false;
    closeTcp();
}

bool TxLink::tcpOpen() const {
    return m_tcp && m_tcp->state() != QAbstractSocket::UnconnectedState;
}

void TxLink::closeTcp() {
    if (m_tcp) {
        // Closing from this side is not a loss of the connection: no handler runs for it.
        m_tcp->disconnect(this);
        m_tcp->abort();
        m_tcp.release()->deleteLater();
        m_writeOnConnect.clear();
        emit connectionClosed();
    }
    showNotConnected();
}

void TxLink::showNotConnected() {
    m_services.status.txConnected = false;
    m_services.status.txAddress = noTxAddressText;
}

void TxLink::transmitStep(bool &tickIdle) {
    if (m_state.TxWaitTicks > 0) {
        --m_state.TxWaitTicks;
        return;
    }
    sendStep(tickIdle);
}

void TxLink::sendStep(bool &tickIdle) {
    if ((m_state.TxViaTcp || m_state.IpTestInFlight) && tcpOpen() &&
        (!m_state.TxAcked || m_state.IpTestInFlight))
        closeTcp();
    m_state.TxAcked = false;
    if (m_services.queue.isEmpty())
        return;
    if (m_state.TxAttemptsLeft != 0)
        sendHead(tickIdle);
    else if (m_state.IpTestInFlight && m_services.queue.head() == ipTestLine)
        selfTestUnanswered(); // drops the head: never any line but the test line itself
    else
        deliveryFailed();
}

QByteArray TxLink::framedHead(const QByteArray &head) {
    const Settings &settings = m_services.settings;
    FramingOptions options;
    options.forwardToVoduro = settings.flag(SettingKey::TxVoduro);
    options.addTerminator = settings.flag(SettingKey::TxAck);
    options.terminator = defaultTerminator;
    if (options.addTerminator && !options.forwardToVoduro) {
        // A terminator field left empty or not a number must not stop delivery: the line goes
        // out with the standard DC4, and the bad text is logged.
        if (const auto value = settingInteger(SettingKey::TermChar))
            options.terminator = static_cast<quint8>(*value);
    }
    return frameLine(head, options);
}

void TxLink::sendHead(bool &tickIdle) {
    const Settings &settings = m_services.settings;
    const QByteArray head = m_services.queue.head();
    QByteArray framed;
    if (head != ipTestLine) {
        m_state.IpTestInFlight = false;
        framed = framedHead(head);
    } else {
        m_state.IpTestInFlight = true;
        framed = ipTestLine;
    }
    tickIdle = false;

    m_sentOnKeptConnection = false;
    m_services.queue.headSent();
    if (m_services.comPort5.isOpen() && framed != ipTestLine) {
        m_services.comPort5.write(framed);
        emit sent();
    } else {
        const QTcpSocket *before = tcpOpen() ? m_tcp.get() : nullptr;
        sendOverNetwork(framed);
        m_sentOnKeptConnection = before && before == m_tcp.get();
    }
    m_lineAwaitingAck = true;

    // Only a reply that arrives after this send may acknowledge it.
    m_services.replyText.clear();
    --m_state.TxAttemptsLeft;
    const bool backup = forceBackup();
    if (m_state.TxAttemptsLeft == 0 && !m_state.TxOnSecondary && secondaryConfigured()) {
        reloadAttempts();
        m_state.TxOnSecondary = true;
        m_state.BackupAfterFailure = backup;
    }
    startReplyTimeout();

    if (settings.flag(SettingKey::DisableTxAck) && !m_state.IpTestInFlight) {
        if (backup && !m_state.TxOnSecondary && secondaryConfigured()) {
            m_state.TxWaitTicks = 0;
            reloadAttempts();
            m_state.TxOnSecondary = true;
        } else {
            removeHeadAndReload();
            if (backup && m_state.TxOnSecondary)
                m_state.TxOnSecondary = false;
        }
    }
}

void TxLink::sendOverNetwork(const QByteArray &framed) {
    const Settings &settings = m_services.settings;
    // The self-test always gets a connection of its own to the IP server: "IP TEST" must never
    // go into a kept-open connection to the automation software, nor its ACK count as a test.
    const bool newConnection =
        m_state.IpTestInFlight || (m_state.TxViaTcp && (!tcpOpen() || forceBackup()));
    if (!newConnection) {
        if (tcpOpen()) {
            writeWhenConnected(framed);
            emit sent();
        }
        return;
    }
    if (tcpOpen())
        closeTcp();
    if (m_state.IpTestInFlight) {
        m_state.TxOnSecondary = true;
        openConnection(QStringLiteral("127.0.0.1"), SettingKey::TcpPort, TxTarget::SelfTest);
    } else if (m_state.TxOnSecondary) {
        openConnection(settings.text(SettingKey::TxIpAdd2), SettingKey::TxIpPort2,
                       TxTarget::Secondary);
    } else {
        openConnection(settings.text(SettingKey::TxIpAdd), SettingKey::TxIpPort, TxTarget::Primary);
    }
    if (tcpOpen()) {
        writeWhenConnected(framed);
        emit sent();
    }
}

// Bytes written while the connection is still being made are dropped when it is refused, and
// Qt complains about each such write on standard error: they wait for the connection instead.
// A connection that fails takes them with it, and the attempt runs out like any unanswered one.
void TxLink::writeWhenConnected(const QByteArray &framed) {
    if (m_tcp->state() == QAbstractSocket::ConnectedState)
        m_tcp->write(framed);
    else
        m_writeOnConnect = framed;
}

void TxLink::openConnection(const QString &address, SettingKey portKey, TxTarget target) {
    m_services.status.txTarget = target;
    const std::optional<int> port = address.isEmpty() ? std::nullopt : settingInteger(portKey);
    if (!port)
        return; // an unusable address fails like a refused connection
    if (m_tcp) {
        // The old socket may be the one whose handler got us here (its ACK, or its loss).
        m_tcp->disconnect(this);
        m_tcp.release()->deleteLater();
    }
    m_writeOnConnect.clear();
    m_tcp = std::make_unique<QTcpSocket>();
    QTcpSocket *socket = m_tcp.get();
    // The indicators show a connection only while one is up, not while attempts are refused.
    const QString shownAddress = address + QStringLiteral(" / ") + QString::number(*port);
    connect(socket, &QTcpSocket::connected, this, [this, socket, shownAddress] {
        m_services.status.txConnected = true;
        m_services.status.txAddress = shownAddress;
        if (!m_writeOnConnect.isEmpty())
            socket->write(std::exchange(m_writeOnConnect, QByteArray()));
    });
    connect(socket, &QTcpSocket::stateChanged, this, [this](QAbstractSocket::SocketState state) {
        if (state == QAbstractSocket::UnconnectedState)
            showNotConnected();
    });
    connect(socket, &QTcpSocket::readyRead, this,
            [this, socket] { emit received(socket->readAll()); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        if (socket->isOpen() && socket->bytesAvailable() > 0)
            emit received(socket->readAll());
        emit connectionLost();
        if (m_sentOnKeptConnection && m_lineAwaitingAck && m_state.TxViaTcp)
            resendOnNewConnection();
    });
    socket->connectToHost(address, static_cast<quint16>(*port));
}

// Some automation software closes its connection after every ACK. A line written into the kept
// connection just as it closes never reaches it; rather than wait out its time-out, it goes out
// again at once on a new connection, as the same attempt.
void TxLink::resendOnNewConnection() {
    m_sentOnKeptConnection = false;
    if (m_services.queue.isEmpty())
        return;
    sendOverNetwork(framedHead(m_services.queue.head()));
    startReplyTimeout();
}

void TxLink::startReplyTimeout() {
    if (const auto seconds = settingInteger(SettingKey::TxTimeout))
        m_state.TxWaitTicks = *seconds * ticksPerSecond;
}

void TxLink::selfTestUnanswered() {
    if (m_ipServer && m_ipServer->threadCount() != QLatin1String("0")) {
        m_services.dialogs.backgroundNotice(QStringLiteral("Voduro"),
                                            IpServerToggle::refusalText());
    } else if (m_ipServer) {
        m_ipServer->deactivate();
        m_oneSecondWait();
        if (const auto port = settingInteger(SettingKey::TcpPort))
            m_ipServer->setPort(*port);
        m_ipServer->activate();
        m_services.status.txConnected = false;
    }
    // One recovery per unanswered self-test: the test line is dropped so the recovery does not
    // repeat on every tick and the lines behind it go out again from the primary.
    m_state.IpTestInFlight = false;
    m_state.TxOnSecondary = false;
    m_services.queue.removeHead();
    reloadAttempts();
}

void TxLink::deliveryFailed() {
    if (m_services.settings.flag(SettingKey::DisableTxAck))
        return;
    // Only the backup copy failed when the primary took the line; every other failure is a fault,
    // also with "Force Backup" but no secondary to copy to.
    const bool backupCopyOnly =
        forceBackup() && !m_state.BackupAfterFailure && m_state.TxOnSecondary;
    if (!m_services.status.faultLed && !backupCopyOnly)
        raiseFault();
    if (backupCopyOnly) {
        m_state.TxAcked = true;
        removeHeadAndReload();
        m_state.TxOnSecondary = false;
        clearFault();
    }
}

void TxLink::raiseFault() {
    m_services.status.comOk = false;
    m_services.status.faultLed = true;
    m_services.status.txConnected = false;
    // The countdown of this same tick takes one off: the first beep comes 5 ticks after the fault.
    if (m_services.settings.text(SettingKey::FltTimer) != QLatin1String("0"))
        m_state.FaultBeepTicks = firstBeepDelay + 1;
}

void TxLink::clearFault() {
    m_services.status.comOk = true;
    m_services.status.faultLed = false;
}

void TxLink::removeHeadAndReload() {
    m_services.queue.removeHead();
    m_state.TxWaitTicks = 0;
    reloadAttempts();
}

bool TxLink::awaitsAcknowledgement() const {
    return m_lineAwaitingAck &&
           (m_state.IpTestInFlight || !m_services.settings.flag(SettingKey::DisableTxAck));
}

void TxLink::handleAcknowledgement() {
    if (!awaitsAcknowledgement())
        return;
    m_services.queue.headAcknowledged();
    m_lineAwaitingAck = false;
    if (forceBackup() && !m_state.TxOnSecondary && secondaryConfigured()) {
        // The primary has the line; the secondary's copy is still owed.
        m_state.TxAcked = true;
        m_state.TxWaitTicks = 0;
        reloadAttempts();
        m_state.TxOnSecondary = true;
    } else {
        m_state.TxAcked = true;
        removeHeadAndReload();
        m_state.TxOnSecondary = false;
        clearFault();
    }
    m_state.BackupAfterFailure = false;
}

void TxLink::sendNext() {
    if (m_state.TxWaitTicks > 0)
        return;
    bool unused = true;
    sendStep(unused);
}

void TxLink::heartbeatCountdown() {
    if (m_state.HeartbeatTicks <= 0)
        return;
    if (--m_state.HeartbeatTicks > 0)
        return;
    // A heartbeat interval that is not a number stops the heartbeat (like "0") after this one.
    if (const auto seconds = settingInteger(SettingKey::HeartBeat))
        m_state.HeartbeatTicks = *seconds * ticksPerSecond;
    if (m_state.TxWaitTicks == 0) {
        m_services.queue.appendTransient(heartbeatLine);
        reloadAttempts();
        m_state.TxOnSecondary = false;
    }
}

void TxLink::selfTestCountdown() {
    if (m_state.IpTestTicks <= 0) {
        m_state.IpTestTicks = selfTestInterval;
        return;
    }
    if (--m_state.IpTestTicks == 0 && m_state.TxWaitTicks == 0 && m_ipServer &&
        m_ipServer->isActive()) {
        m_services.queue.appendTransient(ipTestLine);
        reloadAttempts();
    }
}

void TxLink::faultWarningCountdown() {
    if (m_state.FaultBeepTicks <= 0)
        return;
    if (--m_state.FaultBeepTicks > 0 || !m_services.status.faultLed)
        return;
    m_services.beeper.beep();
    if (const auto seconds = settingInteger(SettingKey::FltTimer))
        m_state.FaultBeepTicks = *seconds * ticksPerSecond;
}

void TxLink::clearQueue() {
    m_services.queue.clear();
    m_state.TxWaitTicks = 0;
    m_lineAwaitingAck = false;
    if (m_state.IpTestInFlight) {
        // The self-test goes with the queue: the next line is an ordinary one, sent afresh from
        // the primary, not a test line to drop or a reason to restart the IP server.
        m_state.IpTestInFlight = false;
        m_state.TxOnSecondary = false;
        closeTcp();
        reloadAttempts();
    }
}
