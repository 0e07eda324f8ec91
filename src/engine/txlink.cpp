#include "txlink.h"

#include "common/logbook.h"
#include "common/operatordialogs.h"
#include "common/receivertrouble.h"
#include "events/txqueue.h"
#include "ipservercontrol.h"
#include "ipservertoggle.h"
#include "protocol/automationlines.h"
#include "protocol/framing.h"
#include "settings/settings.h"

#include <QSerialPort>
#include <QTcpSocket>
#include <QThread>
#include <utility>

namespace {

constexpr int ticksPerSecond = 10;
constexpr int selfTestInterval = 600;
constexpr int firstBeepDelay = 5;
constexpr quint8 defaultTerminator = 0x14;

} // namespace

TxLink::TxLink(Services services, QObject *parent)
    : QObject(parent)
    , m_services(services)
    , m_oneSecondWait([] { QThread::msleep(1000); }) {}

TxLink::~TxLink() = default;

TxLinkState TxLink::state() const {
    return {m_machine.phase,
            m_waitTicks,
            m_machine.attemptsLeft,
            m_heartbeatTicks,
            m_ipTestTicks,
            m_faultBeepTicks,
            m_viaTcp,
            m_machine.phase != TxPhase::Primary};
}

std::optional<int> TxLink::settingInteger(SettingKey key) {
    return m_services.settings.number(key, m_services.logs);
}

// The backup copy is a second delivery over the network; a serial link has only its one port.
bool TxLink::forceBackup() const {
    return m_viaTcp && m_services.settings.flag(SettingKey::ForceBackup);
}

bool TxLink::secondaryConfigured() const {
    return !m_services.settings.text(SettingKey::TxIpAdd2).isEmpty() &&
           !m_services.settings.text(SettingKey::TxIpPort2).isEmpty();
}

TxConditions TxLink::conditions() const {
    TxConditions now;
    now.queueEmpty = m_services.queue.isEmpty();
    now.headIsSelfTest = !now.queueEmpty && m_services.queue.head() == ipTestLine;
    now.viaTcp = m_viaTcp;
    now.connectionOpen = tcpOpen();
    now.forceBackup = forceBackup();
    now.secondaryConfigured = secondaryConfigured();
    now.ackDisabled = m_services.settings.flag(SettingKey::DisableTxAck);
    return now;
}

void TxLink::handle(TxEvent event) {
    const TxStep step = txTransition(m_machine, event, conditions());
    m_machine = step.state;
    for (TxAction action : step.actions)
        perform(action);
}

void TxLink::perform(TxAction action) {
    switch (action) {
    case TxAction::CloseConnection:
        closeTcp();
        break;
    case TxAction::SendToPrimary:
        send(TxTarget::Primary);
        break;
    case TxAction::SendToSecondary:
        send(TxTarget::Secondary);
        break;
    case TxAction::SendSelfTest:
        send(TxTarget::SelfTest);
        break;
    case TxAction::ForgetReply:
        m_services.replyText.clear();
        break;
    case TxAction::Resend:
        // Some automation software closes its connection after every ACK: rather than wait out
        // its time-out, the line goes out again at once on a new connection.
        m_sentOnKeptConnection = false;
        sendOverNetwork(framedHead(m_services.queue.head()), m_machine.phase == TxPhase::Primary
                                                                 ? TxTarget::Primary
                                                                 : TxTarget::Secondary);
        break;
    case TxAction::StartReplyTimeout:
        startReplyTimeout();
        break;
    case TxAction::StopReplyTimeout:
        m_waitTicks = 0;
        break;
    case TxAction::ReloadAttempts:
        if (const auto attempts = settingInteger(SettingKey::TxAtt))
            m_machine.attemptsLeft = *attempts;
        break;
    case TxAction::RemoveHead:
        m_services.queue.removeHead();
        break;
    case TxAction::ClearQueue:
        m_services.queue.clear();
        break;
    case TxAction::RaiseFault:
        raiseFault();
        break;
    case TxAction::ClearFault:
        clearFault();
        break;
    case TxAction::RecoverIpServer:
        recoverIpServer();
        break;
    }
}

void TxLink::reloadAttempts() {
    handle(TxEvent::LineQueued);
}

void TxLink::reloadAttemptsIfIdle() {
    if (m_waitTicks == 0)
        reloadAttempts();
}

void TxLink::start(bool viaTcp) {
    m_viaTcp = viaTcp;
    handle(TxEvent::Started);
    if (const auto seconds = settingInteger(SettingKey::HeartBeat))
        m_heartbeatTicks = *seconds * ticksPerSecond;
}

void TxLink::stop() {
    m_heartbeatTicks = 0;
    leaveNetwork();
}

void TxLink::leaveNetwork() {
    m_viaTcp = false;
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
    m_status.connected = false;
    m_status.address = noTxAddressText;
}

void TxLink::transmitStep() {
    if (m_waitTicks > 0) {
        --m_waitTicks;
        return;
    }
    handle(TxEvent::SendStep);
}

void TxLink::sendNext() {
    if (m_waitTicks == 0)
        handle(TxEvent::SendStep);
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

// The self-test always goes over the network; the automation lines over the serial port of the
// Tx line where it is open.
void TxLink::send(TxTarget target) {
    m_sentOnKeptConnection = false;
    m_services.queue.headSent();
    if (target == TxTarget::SelfTest) {
        sendOverNetwork(ipTestLine, target);
        return;
    }
    const QByteArray framed = framedHead(m_services.queue.head());
    if (m_services.serialPort.isOpen()) {
        m_services.serialPort.write(framed);
        emit sent();
        return;
    }
    const QTcpSocket *before = tcpOpen() ? m_tcp.get() : nullptr;
    sendOverNetwork(framed, target);
    m_sentOnKeptConnection = before && before == m_tcp.get();
}

void TxLink::sendOverNetwork(const QByteArray &framed, TxTarget target) {
    // The self-test always gets a connection of its own to the IP server: "IP TEST" must never
    // go into a kept-open connection to the automation software, nor its ACK count as a test.
    const bool newConnection =
        target == TxTarget::SelfTest || (m_viaTcp && (!tcpOpen() || forceBackup()));
    if (newConnection) {
        if (tcpOpen())
            closeTcp();
        openConnection(target);
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

void TxLink::openConnection(TxTarget target) {
    const Settings &settings = m_services.settings;
    m_status.target = target;
    QString address = QStringLiteral("127.0.0.1");
    SettingKey portKey = SettingKey::TcpPort;
    if (target == TxTarget::Primary) {
        address = settings.text(SettingKey::TxIpAdd);
        portKey = SettingKey::TxIpPort;
    } else if (target == TxTarget::Secondary) {
        address = settings.text(SettingKey::TxIpAdd2);
        portKey = SettingKey::TxIpPort2;
    }
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
    // The indicators show a connection only while one is up, not while attempts are refused.
    watchConnection(m_tcp.get(), address + QStringLiteral(" / ") + QString::number(*port));
    m_tcp->connectToHost(address, static_cast<quint16>(*port));
}

void TxLink::watchConnection(QTcpSocket *socket, const QString &shownAddress) {
    connect(socket, &QTcpSocket::connected, this, [this, socket, shownAddress] {
        m_status.connected = true;
        m_status.address = shownAddress;
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
        if (m_sentOnKeptConnection)
            handle(TxEvent::KeptConnectionLost);
    });
}

void TxLink::startReplyTimeout() {
    if (const auto seconds = settingInteger(SettingKey::TxTimeout))
        m_waitTicks = *seconds * ticksPerSecond;
}

void TxLink::recoverIpServer() {
    if (m_ipServer && m_ipServer->connectionCount() != 0) {
        m_services.dialogs.backgroundNotice(QStringLiteral("Voduro"),
                                            IpServerToggle::refusalText());
    } else if (m_ipServer) {
        if (m_troubles)
            m_troubles->troubleState(ReceiverTrouble::IpRestarted, true);
        m_ipServer->deactivate();
        m_oneSecondWait();
        if (const auto port = settingInteger(SettingKey::TcpPort))
            m_ipServer->setPort(*port);
        m_ipServer->activate();
        m_status.connected = false;
    }
}

void TxLink::raiseFault() {
    m_status.comOk = false;
    m_status.faultLed = true;
    m_status.connected = false;
    // The countdown of this same tick takes one off: the first beep comes 5 ticks after the fault.
    if (m_services.settings.text(SettingKey::FltTimer) != QLatin1String("0"))
        m_faultBeepTicks = firstBeepDelay + 1;
}

void TxLink::clearFault() {
    m_status.comOk = true;
    m_status.faultLed = false;
}

bool TxLink::awaitsAcknowledgement() const {
    return txAwaitsAcknowledgement(m_machine, m_services.settings.flag(SettingKey::DisableTxAck));
}

void TxLink::handleAcknowledgement() {
    const bool awaited = awaitsAcknowledgement();
    const bool selfTestAnswered = awaited && m_machine.phase == TxPhase::SelfTest;
    if (awaited)
        m_services.queue.headAcknowledged();
    handle(TxEvent::Acknowledged);
    // The IP receiver answers again: a restart by an earlier self-test is over.
    if (selfTestAnswered && m_troubles)
        m_troubles->troubleState(ReceiverTrouble::IpRestarted, false);
}

void TxLink::heartbeatCountdown() {
    if (m_heartbeatTicks <= 0)
        return;
    if (--m_heartbeatTicks > 0)
        return;
    // A heartbeat interval that is not a number stops the heartbeat (like "0") after this one.
    if (const auto seconds = settingInteger(SettingKey::HeartBeat))
        m_heartbeatTicks = *seconds * ticksPerSecond;
    if (m_waitTicks == 0) {
        m_services.queue.appendTransient(heartbeatLine);
        handle(TxEvent::HeartbeatQueued);
    }
}

void TxLink::selfTestCountdown() {
    if (m_ipTestTicks <= 0) {
        m_ipTestTicks = selfTestInterval;
        return;
    }
    if (--m_ipTestTicks == 0 && m_waitTicks == 0 && m_ipServer && m_ipServer->isActive()) {
        m_services.queue.appendTransient(ipTestLine);
        handle(TxEvent::LineQueued);
    }
}

void TxLink::faultWarningCountdown() {
    if (m_faultBeepTicks <= 0)
        return;
    if (--m_faultBeepTicks > 0 || !m_machine.faulted)
        return;
    m_services.beeper.beep();
    if (const auto seconds = settingInteger(SettingKey::FltTimer))
        m_faultBeepTicks = *seconds * ticksPerSecond;
}

void TxLink::clearQueue() {
    handle(TxEvent::Cleared);
}
