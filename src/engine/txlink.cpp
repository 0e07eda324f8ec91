#include "txlink.h"

#include "common/integertext.h"
#include "common/logbook.h"
#include "common/operatordialogs.h"
#include "events/txqueue.h"
#include "ipservercontrol.h"
#include "protocol/automationlines.h"
#include "protocol/framing.h"
#include "settings/settings.h"

#include <QSerialPort>
#include <QTcpSocket>
#include <QThread>

namespace {

constexpr int ticksPerSecond = 10;
constexpr int selfTestInterval = 600;
constexpr int firstBeepDelay = 5;
constexpr quint8 defaultTerminator = 0x14;
const QByteArray ackByte("\x06", 1);

} // namespace

TxLink::TxLink(Services services, QObject *parent)
    : QObject(parent)
    , m_services(services)
    , m_oneSecondWait([] { QThread::msleep(1000); }) {}

TxLink::~TxLink() = default;

std::optional<int> TxLink::settingInteger(const QString &text) {
    const std::optional<int> value = integerFromText(text);
    if (!value)
        m_services.logs.logConversionFailure(text);
    return value;
}

void TxLink::reloadAttempts() {
    if (const auto attempts = settingInteger(m_services.settings.text(SettingKey::TxAtt)))
        m_state.TxAttemptsLeft = *attempts;
}

void TxLink::reloadAttemptsIfIdle() {
    if (m_state.TxWaitTicks == 0)
        reloadAttempts();
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
    if (const auto seconds = settingInteger(m_services.settings.text(SettingKey::HeartBeat)))
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
    }
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
    else if (m_state.IpTestInFlight)
        selfTestUnanswered();
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
        if (const auto value = settingInteger(settings.text(SettingKey::TermChar)))
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

    if (m_services.comPort5.isOpen() && framed != ipTestLine) {
        m_services.comPort5.write(framed);
        emit sent();
    } else {
        sendOverNetwork(framed);
    }
    m_lineAwaitingAck = true;

    // Only a reply that arrives after this send may acknowledge it.
    m_services.replyText.clear();
    --m_state.TxAttemptsLeft;
    const bool forceBackup = settings.flag(SettingKey::ForceBackup);
    if (m_state.TxAttemptsLeft == 0 && !m_state.TxOnSecondary && secondaryConfigured()) {
        reloadAttempts();
        m_state.TxOnSecondary = true;
        m_state.BackupAfterFailure = forceBackup;
    }
    if (const auto seconds = settingInteger(settings.text(SettingKey::TxTimeout)))
        m_state.TxWaitTicks = *seconds * ticksPerSecond;

    if (settings.flag(SettingKey::DisableTxAck) && !m_state.IpTestInFlight) {
        if (forceBackup && !m_state.TxOnSecondary && secondaryConfigured()) {
            m_state.TxWaitTicks = 0;
            reloadAttempts();
            m_state.TxOnSecondary = true;
        } else {
            removeHeadAndReload();
            if (forceBackup && m_state.TxOnSecondary)
                m_state.TxOnSecondary = false;
        }
    }
}

void TxLink::sendOverNetwork(const QByteArray &framed) {
    const Settings &settings = m_services.settings;
    const bool forceBackup = settings.flag(SettingKey::ForceBackup);
    const bool newConnection = ((m_state.TxViaTcp || m_state.IpTestInFlight) && !tcpOpen()) ||
                               (m_state.TxViaTcp && forceBackup);
    if (!newConnection) {
        if (tcpOpen()) {
            m_tcp->write(framed);
            emit sent();
        }
        return;
    }
    if (forceBackup && tcpOpen())
        closeTcp();
    if (m_state.IpTestInFlight) {
        m_state.TxOnSecondary = true;
        openConnection(QStringLiteral("127.0.0.1"), settings.text(SettingKey::TcpPort),
                       TxTarget::SelfTest);
    } else if (m_state.TxOnSecondary) {
        openConnection(settings.text(SettingKey::TxIpAdd2), settings.text(SettingKey::TxIpPort2),
                       TxTarget::Secondary);
    } else {
        openConnection(settings.text(SettingKey::TxIpAdd), settings.text(SettingKey::TxIpPort),
                       TxTarget::Primary);
    }
    if (tcpOpen()) {
        m_tcp->write(framed);
        emit sent();
    }
}

void TxLink::openConnection(const QString &address, const QString &port, TxTarget target) {
    m_services.status.txAddress = address + QStringLiteral(" / ") + port;
    m_services.status.txTarget = target;
    bool ok = false;
    const quint16 portNumber = port.trimmed().toUShort(&ok);
    if (!ok || portNumber == 0 || address.isEmpty())
        return; // an unusable address fails like a refused connection
    m_tcp = std::make_unique<QTcpSocket>();
    QTcpSocket *socket = m_tcp.get();
    connect(socket, &QTcpSocket::readyRead, this,
            [this, socket] { emit received(socket->readAll()); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        if (socket->isOpen() && socket->bytesAvailable() > 0)
            emit received(socket->readAll());
        emit connectionLost();
    });
    socket->connectToHost(address, portNumber);
    m_services.status.txConnected = true;
}

void TxLink::selfTestUnanswered() {
    if (m_ipServer && m_ipServer->threadCount() != QLatin1String("0")) {
        m_services.dialogs.backgroundNotice(
            QStringLiteral("Voduro"),
            QStringLiteral("Close all the connections already connected to Voduro."));
    } else if (m_ipServer) {
        m_ipServer->deactivate();
        m_oneSecondWait();
        if (const auto port = integerFromText(m_services.settings.text(SettingKey::TcpPort)))
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
    const Settings &settings = m_services.settings;
    if (settings.flag(SettingKey::DisableTxAck))
        return;
    const bool forceBackup = settings.flag(SettingKey::ForceBackup);
    if (!m_services.status.faultLed && (!forceBackup || m_state.BackupAfterFailure))
        raiseFault();
    if (forceBackup && !m_state.BackupAfterFailure && m_state.TxOnSecondary) {
        // Only the backup copy failed: the primary has the line.
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
    if (m_services.settings.text(SettingKey::FltTimer) != QLatin1String("0"))
        m_state.FaultBeepTicks = firstBeepDelay;
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

void TxLink::handleAcknowledgement() {
    const Settings &settings = m_services.settings;
    if (!m_lineAwaitingAck)
        return;
    if (settings.flag(SettingKey::DisableTxAck) && !m_state.IpTestInFlight)
        return;
    m_lineAwaitingAck = false;
    if (settings.flag(SettingKey::ForceBackup) && !m_state.TxOnSecondary && secondaryConfigured()) {
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

void TxLink::heartbeatCountdown() {
    if (m_state.HeartbeatTicks <= 0)
        return;
    if (--m_state.HeartbeatTicks > 0)
        return;
    // A heartbeat interval that is not a number stops the heartbeat (like "0") after this one.
    if (const auto seconds = settingInteger(m_services.settings.text(SettingKey::HeartBeat)))
        m_state.HeartbeatTicks = *seconds * ticksPerSecond;
    if (m_state.TxWaitTicks == 0) {
        m_services.queue.append(heartbeatLine);
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
        m_services.queue.append(ipTestLine);
        reloadAttempts();
    }
}

void TxLink::faultWarningCountdown() {
    if (m_state.FaultBeepTicks <= 0)
        return;
    if (--m_state.FaultBeepTicks > 0 || !m_services.status.faultLed)
        return;
    m_services.beeper.beep();
    if (const auto seconds = settingInteger(m_services.settings.text(SettingKey::FltTimer)))
        m_state.FaultBeepTicks = *seconds * ticksPerSecond;
}

void TxLink::clearQueue() {
    m_services.queue.clear();
    m_state.TxWaitTicks = 0;
    m_lineAwaitingAck = false;
}
