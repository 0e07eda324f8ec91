#include "engine.h"

#include "accounts/accounttable.h"
#include "common/datetimetext.h"
#include "common/logbook.h"
#include "common/receivertrouble.h"
#include "events/eventlistmodel.h"
#include "events/txqueue.h"
#include "ipservercontrol.h"
#include "metrics/figures.h"
#include "protocol/queuedlinetext.h"
#include "receiveraccount.h"
#include "serialconfig.h"
#include "settings/settings.h"
#include "store/queuejournal.h"

#include <QSerialPort>

namespace {

constexpr int txLine = Line::Tx;
// While a Zorer-Uda line's device is gone, the engine tries to open it again this often.
constexpr int reopenIntervalTicks = 30;
const QByteArray zorerAck("\x06\r", 2);

std::size_t portIndex(int line) {
    return line == txLine ? 2 : static_cast<std::size_t>(line - 1);
}

} // namespace

Engine::Engine(Services services, QObject *parent)
    : QObject(parent)
    , m_services(services)
    , m_comPorts{std::make_unique<QSerialPort>(), std::make_unique<QSerialPort>(),
                 std::make_unique<QSerialPort>()}
    , m_txLink({services.settings, services.logs, services.txQueue, services.beeper,
                services.dialogs, *m_comPorts[portIndex(txLine)], slot(txLine).rxText},
               this)
    , m_ipServerToggle(services.settings, services.logs, services.dialogs, this)
    , m_listExport(services.lists, services.logs) {
    for (int line : {Line::Zorer1, Line::Zorer2, Line::Tx}) {
        QSerialPort *port = m_comPorts[portIndex(line)].get();
        port->setObjectName(QStringLiteral("ComPort%1").arg(line));
        // Read everything that is waiting: no new notification comes for bytes left unread.
        connect(port, &QSerialPort::readyRead, this,
                [this, port, line] { dataAvailable(line, port->readAll()); });
    }
    for (int line : {Line::Zorer1, Line::Zorer2, Line::Tx})
        connect(m_comPorts[portIndex(line)].get(), &QSerialPort::errorOccurred, this,
                [this, line](QSerialPort::SerialPortError error) { deviceError(line, error); });
    connect(&m_txLink, &TxLink::received, this,
            [this](const QByteArray &bytes) { dataAvailable(txLine, bytes); });
    connect(&m_txLink, &TxLink::connectionLost, this, &Engine::connectionLost);
    connect(&m_txLink, &TxLink::connectionClosed, this, [this] { slot(txLine).call = {}; });
    connect(&m_txLink, &TxLink::sent, this, [this] { emit traffic(txLine, true); });
    m_elapsed.start();
    m_clock = [this] { return m_elapsed.nsecsElapsed(); };
    m_receivedData.setRowLimit(receivedDataRowLimit);
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, &Engine::tick);
    connect(&m_listExport, &ListExport::rowExported, this, &Engine::rowExported);
}

// The link's socket and the ports outlive the members declared after them: what they signal
// while they close must no longer reach an engine half taken down.
Engine::~Engine() {
    m_txLink.disconnect(this);
    for (const std::unique_ptr<QSerialPort> &port : m_comPorts)
        port->disconnect(this);
}

void Engine::setTroubleReports(TroubleReports *troubles) {
    m_troubles = troubles;
    m_txLink.setTroubleReports(troubles);
}

void Engine::setIpServer(IpServerControl *server) {
    m_ipServerToggle.setServer(server);
    m_txLink.setIpServer(server);
}

void Engine::setJournal(QueueJournal *journal) {
    m_journal = journal;
    m_pendingMessages.setJournal(journal);
    m_services.txQueue.setJournal(journal);
}

QSerialPort &Engine::comPort(int line) {
    return *m_comPorts.at(portIndex(line));
}

void Engine::dataAvailable(int slotNumber, const QByteArray &received) {
    LineSlot &target = slot(slotNumber);
    // These bytes begin the link's reply to the line that is out.
    const bool ackAwaited =
        slotNumber == txLine && target.rxText.isEmpty() && m_txLink.awaitsAcknowledgement();
    QByteArray bytes = received;
    // The CR or LF that ends an ACK can come in a read of its own, after that ACK was taken and
    // the next line sent: it ends the last reply and must not begin this line's.
    if (ackAwaited) {
        qsizetype lineEnds = 0;
        while (lineEnds < bytes.size() && (bytes[lineEnds] == '\r' || bytes[lineEnds] == '\n'))
            ++lineEnds;
        bytes.remove(0, lineEnds);
    }
    if (bytes.isEmpty())
        return;
    target.rxText += bytes;
    target.quietTicks = quietTicksAfterInput;
    emit traffic(slotNumber, false);
    if (ackAwaited && bytes.startsWith('\x06'))
        takeAcknowledgement();
}

// The automation software's ACK is taken where its byte arrives, not after the quiet time: a
// line delivered is off the queue and the next one on its way at once, so a burst of alarms is
// not paced by the tick. Its reply is serviced as the tick would, from what has arrived so far.
void Engine::takeAcknowledgement() {
    serviceTxReplyNow();
    m_txLink.sendNext();
    publishStatus();
}

// The link's reply is serviced now, without waiting for its quiet time.
void Engine::serviceTxReplyNow() {
    slot(txLine).quietTicks = 0;
    serviceSlot(txLine);
}

void Engine::tick() {
    for (int n = 1; n <= slotCount; ++n) {
        LineSlot &current = slot(n);
        if (readsOwnText(n))
            reopenLostDevice(n);
        if (readsOwnText(n) && current.quietTicks > 0 && --current.quietTicks == 0)
            serviceSlot(n);
        updateStatusDisplay(n);
    }
    // Decoded before the transmit step, so an alarm's line leaves on the tick that decodes it
    // instead of waiting a whole tick behind it.
    feedDecoder();
    m_txLink.transmitStep();
    m_txLink.heartbeatCountdown();
    m_txLink.selfTestCountdown();
    m_txLink.faultWarningCountdown();
    // Every tick, busy or not: under steady traffic no tick is idle.
    m_listExport.exportArrived();
    publishStatus();
    emit ticked();
}

void Engine::serviceSlot(int n) {
    LineSlot &current = slot(n);
    if (n == Line::Zorer2 && m_services.settings.flag(SettingKey::FromReceiver)) {
        forwardFromReceiver();
    } else {
        // The link's ACK is taken whatever else the reply holds: no call word in it may turn the
        // link's replies into messages and leave its lines unacknowledged.
        const bool txAck = n == txLine && current.rxText.startsWith('\x06');
        ScanResult scan = callControlScan(current.rxText, current.call);
        for (const QByteArray &text : scan.shown)
            showReceived(text);
        current.rxText = scan.text;
        if (scan.forwarded)
            acknowledgeAndQueue(n, *scan.forwarded);
        if (current.call.lineConnected) {
            const QByteArray caller = current.call.lineNua;
            AcceptanceResult accepted = acceptMessage(
                current.rxText, current.call, [this, &caller](const MessageAccount &account) {
                    return lookUpAccount(account, caller);
                });
            for (const QByteArray &text : accepted.shown)
                showReceived(text);
            current.rxText = accepted.text;
            if (accepted.accepted)
                acknowledgeAndQueue(n, *accepted.accepted);
        }
        if (txAck)
            m_txLink.handleAcknowledgement();
    }
    if (!current.rxText.isEmpty())
        showReceived("[" + QByteArray::number(n) + "]" + current.rxText);
    current.rxText.clear();
}

void Engine::forwardFromReceiver() {
    // One burst from the other receiver may hold several finished lines.
    QByteArray &text = slot(Line::Zorer2).rxText;
    for (const QByteArray &line : receiverLines(text))
        m_services.txQueue.append(line);
    text.clear();
}

AccountVerdict Engine::lookUpAccount(const MessageAccount &account, const QByteArray &caller) {
    if (account.refused())
        return AccountVerdict::NotConvertible;
    if (!account.named())
        return AccountVerdict::Acknowledge;
    // Only the monitor itself reports under the receiver account: a panel's report under it
    // could fake the receiver's trouble or its restore.
    if (namesReceiverAccount(account,
                             receiverAccountNumber(receiverAccountText(m_services.settings)))) {
        m_services.logs.appendStamped(LogBook::ConversionLog,
                                      "[receiver account " + account.text + ": from " + caller +
                                          ", not acknowledged, not queued]");
        return AccountVerdict::Refuse;
    }
    const std::optional<AccountRecord> record = m_services.accounts.Find_Account(account.number);
    if (record && !record->admitsCaller(caller))
        return AccountVerdict::Refuse;
    return AccountVerdict::Acknowledge;
}

// The message is stored before the panel has its acknowledgement: an acknowledged message is
// never only in memory. One that cannot be stored or acknowledged on a closed port is not taken:
// the panel sends it again. One stored whose acknowledgement fails stays queued.
void Engine::acknowledgeAndQueue(int n, const QByteArray &text) {
    QSerialPort &port = comPort(n);
    if (!port.isOpen() || !m_pendingMessages.appendStored(slot(n).call.lineNua, text))
        return;
    if (port.write(zorerAck) != zorerAck.size())
        return;
    figures().received(n == 1 ? Input::Zorer1 : Input::Zorer2);
    m_services.logs.Append_Message(LogBook::AckLog,
                                   nowText().toLocal8Bit() + " ComPort -- " + zorerAck);
    emit traffic(n, true);
}

void Engine::showReceived(const QByteArray &text) {
    if (m_setupWindowOpen)
        m_receivedData.append(text);
}

void Engine::updateStatusDisplay(int n) {
    if (n == Line::Zorer1 || n == Line::Zorer2) {
        const CallState &call = slot(n).call;
        m_lineStatus.connected[n] = call.lineConnected;
        m_lineStatus.padNua[n] = call.lineConnected ? QString::fromLatin1(call.lineNua) : noNuaText;
    } else if (n == Line::IpNetwork) {
        m_ipServerToggle.updateStatus();
    }
}

// Decodes the waiting items in their order until none is left or the tick's budget is spent
// (the item that reaches it is still decoded), so a burst never queues behind a fixed pace.
void Engine::feedDecoder() {
    m_arrivalBudgetNs = decodeBudgetNs;
    if (!m_services.settings.flag(SettingKey::ProcessData) || m_pendingMessages.isEmpty())
        return;
    decodeFor(decodeBudgetNs);
}

// Spends at most `budgetNs` (the item that reaches it is still decoded); returns what it spent.
qint64 Engine::decodeFor(qint64 budgetNs) {
    const qint64 start = m_clock();
    const qint64 deadline = start + budgetNs;
    do {
        decodeFirst();
    } while (!m_pendingMessages.isEmpty() && m_clock() < deadline &&
             m_services.settings.flag(SettingKey::ProcessData));
    return m_clock() - start;
}

// Messages stored by the IP receiver are decoded as they arrive, and their lines leave at once
// when the link is free, instead of waiting for the next tick. Between two ticks this spends no
// more than one tick's budget; what is left waits for the tick.
void Engine::decodeArrivals() {
    if (!m_services.settings.flag(SettingKey::ProcessData) || m_pendingMessages.isEmpty() ||
        m_arrivalBudgetNs <= 0)
        return;
    m_arrivalBudgetNs -= decodeFor(m_arrivalBudgetNs);
    if (!m_txLink.awaitsAcknowledgement())
        m_txLink.sendNext();
    publishStatus();
}

void Engine::decodeFirst() {
    const PendingMessage item = m_pendingMessages.first();
    m_services.logs.appendStamped(LogBook::RxLog, item.text());
    // The item leaves "Pending Messages" and its lines enter "Tx Pending" in one record.
    QueueJournal::Batch batch(m_journal);
    const TxQueue::LineOrigin origin(item.takenAtNs);
    if (m_decoder)
        m_decoder(item.source, item.message.left(100));
    m_pendingMessages.removeFirst();
}

void Engine::connectionLost() {
    // A reply that arrived just before the far end closed is still serviced: an ACK must not be
    // lost with the connection, or the delivered line would be sent again.
    LineSlot &txSlot = slot(txLine);
    if (!txSlot.rxText.isEmpty())
        serviceTxReplyNow();
    txSlot.call = {};
    showReceived("Connection Lost");
    txSlot.rxText.clear();
    publishStatus();
}

bool Engine::isLineStarted(int line) const {
    const QSerialPort &port = *m_comPorts.at(portIndex(line));
    if (port.isOpen())
        return true;
    if (m_slots.at(static_cast<std::size_t>(line - 1)).deviceLost)
        return true; // still started: waiting for its device to come back
    // An open connection alone does not make the link started: it may be the self-test's, which
    // runs on a stopped link too.
    return line == txLine && m_txLink.viaTcp();
}

void Engine::startStop(int line) {
    if (isLineStarted(line))
        stopLine(line);
    else
        startLine(line);
    publishStatus();
}

void Engine::stopLine(int line) {
    // A line the operator stops waits for no device any more: its loss is over.
    if (slot(line).deviceLost)
        sayDeviceLost(line, false);
    setLineRunning(line, false);
    comPort(line).close();
    m_txLink.closeTcp();
    if (line == txLine)
        m_txLink.stop();
    m_lineStatus.labelEnabled[static_cast<std::size_t>(line)] = false;
    clearLine(line);
    emit lineStateChanged(line, false);
}

// A line whose port was closed has no call (the unit announces the next one again) and waits for
// no device. Text still waiting for its service goes too, so it cannot reconnect a closed line.
void Engine::clearLine(int line) {
    LineSlot &closed = slot(line);
    closed.call = CallState();
    closed.rxText.clear();
    closed.quietTicks = 0;
    closed.deviceLost = false;
    updateStatusDisplay(line);
}

// A device that goes away (an unplugged adapter) leaves the port open and signalling on every
// pass of the event loop. The port is closed, and the line stays started and waits for it.
void Engine::deviceError(int line, QSerialPort::SerialPortError error) {
    QSerialPort &port = comPort(line);
    const bool deviceGone = error == QSerialPort::ResourceError ||
                            error == QSerialPort::ReadError || error == QSerialPort::WriteError;
    if (!deviceGone || !port.isOpen())
        return;
    port.close();
    clearLine(line);
    LineSlot &lost = slot(line);
    lost.deviceLost = true;
    lost.reopenTicks = reopenIntervalTicks;
    m_lineStatus.labelEnabled[static_cast<std::size_t>(line)] = false;
    reportDevice(line, "lost");
    sayDeviceLost(line, true);
    publishStatus();
}

void Engine::reopenLostDevice(int line) {
    LineSlot &waiting = slot(line);
    if (!waiting.deviceLost || --waiting.reopenTicks > 0)
        return;
    if (!comPort(line).open(QIODevice::ReadWrite)) {
        waiting.reopenTicks = reopenIntervalTicks;
        return;
    }
    waiting.deviceLost = false;
    m_lineStatus.labelEnabled[static_cast<std::size_t>(line)] = true;
    reportDevice(line, "back");
    sayDeviceLost(line, false);
}

void Engine::sayDeviceLost(int line, bool lost) {
    if (!m_troubles || (line != Line::Zorer1 && line != Line::Zorer2))
        return;
    m_troubles->troubleState(line == Line::Zorer1 ? ReceiverTrouble::ZorerUda1Lost
                                                  : ReceiverTrouble::ZorerUda2Lost,
                             lost);
}

void Engine::reportDevice(int line, const char *event) {
    const QString lineName = line == txLine ? tr("Tx link") : tr("Zorer-Uda %1").arg(line);
    const QString text =
        (qstrcmp(event, "lost") == 0 ? tr("%1: device %2 lost") : tr("%1: device %2 back"))
            .arg(lineName, comPort(line).portName());
    showReceived(text.toLatin1());
    m_services.logs.log_connection(text);
}

void Engine::startLine(int line) {
    const SerialConfig config = serialConfigFor(m_services.settings, line);
    const bool viaTcp = line == txLine && config.viaTcp;
    bool started = viaTcp;
    if (!viaTcp && config.valid) {
        QSerialPort &port = comPort(line);
        applySerialConfig(port, config);
        started = port.open(QIODevice::ReadWrite); // a failed open leaves the line stopped
    }
    if (!started)
        return;
    setLineRunning(line, true);
    if (line == txLine)
        m_txLink.start(viaTcp);
    m_lineStatus.labelEnabled[static_cast<std::size_t>(line)] = true;
    emit lineStateChanged(line, true);
}

void Engine::portOrSpeedChanged(int line) {
    if (slot(line).deviceLost)
        sayDeviceLost(line, false);
    comPort(line).close();
    // The link is stopped now, so the next "START COMS" must start it, not stop it again.
    if (line == txLine)
        m_txLink.leaveNetwork();
    clearLine(line);
    setLineRunning(line, false);
    emit lineStateChanged(line, false);
    publishStatus();
}

void Engine::setLineRunning(int line, bool running) {
    static constexpr SettingKey flags[] = {SettingKey::Port1Open, SettingKey::Port2Open,
                                           SettingKey::TcpOpen, SettingKey::SpareOpen,
                                           SettingKey::TxOpen};
    m_services.settings.setFlag(flags[line - 1], running);
}

void Engine::closePorts() {
    for (auto &port : m_comPorts)
        port->close();
    for (int line : {Line::Zorer1, Line::Zorer2, Line::Tx})
        slot(line).deviceLost = false; // nothing is reopened after shutdown
    m_txLink.closeTcp();
}

void Engine::resetState() {
    m_listExport.reset();
    for (LineSlot &each : m_slots)
        each.call.lineConnected = false;
    m_txLink.leaveNetwork();
}

EngineStatus Engine::status() const {
    EngineStatus shown = m_lineStatus;
    const IpNetworkStatus &ip = m_ipServerToggle.status();
    shown.connected[Line::IpNetwork] = ip.connected;
    shown.padNua[Line::IpNetwork] = ip.peer;
    shown.labelEnabled[Line::IpNetwork] = ip.labelEnabled;
    const TxLinkStatus &tx = m_txLink.status();
    shown.txConnected = tx.connected;
    shown.txTarget = tx.target;
    shown.txAddress = tx.address;
    shown.comOk = tx.comOk;
    shown.faultLed = tx.faultLed;
    return shown;
}

void Engine::publishStatus() {
    EngineStatus shown = status();
    if (shown == m_publishedStatus)
        return;
    m_publishedStatus = std::move(shown);
    emit statusChanged();
}
