#pragma once

#include "enginestatus.h"
#include "settings/settingkeys.h"
#include "txmachine.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class Beeper;
class IpServerControl;
class LogBook;
class OperatorDialogs;
class QSerialPort;
class QTcpSocket;
class Settings;
class TxQueue;

// A copy of where the link stands (counters in ticks of 100 ms), for benchmarks and tests.
struct TxLinkState {
    TxPhase phase = TxPhase::Primary;
    int TxWaitTicks = 0;
    int TxAttemptsLeft = 0;
    int HeartbeatTicks = 0;
    int IpTestTicks = 0;
    int FaultBeepTicks = 0;
    bool TxViaTcp = false;
    bool TxOnSecondary = false;
};

// Delivers "Tx Pending" one line at a time to the automation software over the serial port of
// the Tx line or the TCP client (primary, then secondary address), waits for ACK, retries,
// raises "FAULT" with a repeating beep, and runs the heartbeat and the self-test of the IP
// server. What to do next is decided by txTransition(); this class performs it.
class TroubleReports;

class TxLink : public QObject {
    Q_OBJECT
public:
    struct Services {
        Settings &settings;
        LogBook &logs;
        TxQueue &queue;
        Beeper &beeper;
        OperatorDialogs &dialogs;
        QSerialPort &serialPort;
        QByteArray &replyText; // the Tx line's received text
    };

    explicit TxLink(Services services, QObject *parent = nullptr);
    ~TxLink() override;

    TxLinkState state() const;
    const TxLinkStatus &status() const { return m_status; }
    void setIpServer(IpServerControl *server) { m_ipServer = server; }
    // Where the self-test's restart of the IP receiver is said, and its next answered test.
    void setTroubleReports(TroubleReports *troubles) { m_troubles = troubles; }
    void setOneSecondWait(std::function<void()> wait) { m_oneSecondWait = std::move(wait); }
    // Ticks until the next heartbeat line or self-test (tests move them).
    void setHeartbeatCountdown(int ticks) { m_heartbeatTicks = ticks; }
    void setSelfTestCountdown(int ticks) { m_ipTestTicks = ticks; }

    // Start and stop of the Tx line, after its port part.
    void start(bool viaTcp);
    void stop();
    // The line's port was changed, or the program starts: the link is on no network.
    void leaveNetwork();
    bool viaTcp() const { return m_viaTcp; }

    bool tcpOpen() const;
    void closeTcp(); // closes the connection and switches its indicators off

    // The link's steps of a tick, in this order.
    void transmitStep();
    void heartbeatCountdown();
    void selfTestCountdown();
    void faultWarningCountdown();

    // The Tx line was serviced with a reply starting with ACK.
    void handleAcknowledgement();
    // A reply starting with ACK would be taken now: a line is out and waits for it.
    bool awaitsAcknowledgement() const;
    // The send step of the tick, run where an ACK was taken between ticks.
    void sendNext();

    void reloadAttempts();
    void reloadAttemptsIfIdle(); // for a producer that queued a line: only while no ACK is awaited

    // Empties "Tx Pending" and ends the wait for the ACK of a line that is no longer there.
    void clearQueue();

signals:
    void received(const QByteArray &bytes); // reply bytes from the TCP client
    void connectionLost();                  // the far end closed the connection
    void connectionClosed();                // this side closed the connection
    void sent();                            // bytes went out (for the traffic lights)

private:
    void handle(TxEvent event);
    TxConditions conditions() const;
    void perform(TxAction action);
    void send(TxTarget target);
    void sendOverNetwork(const QByteArray &framed, TxTarget target);
    void openConnection(TxTarget target);
    void watchConnection(QTcpSocket *socket, const QString &shownAddress);
    void writeWhenConnected(const QByteArray &framed);
    void showNotConnected();
    void recoverIpServer();
    void startReplyTimeout();
    void raiseFault();
    void clearFault();
    bool forceBackup() const;
    bool secondaryConfigured() const;
    QByteArray framedHead(const QByteArray &head);
    std::optional<int> settingInteger(SettingKey key);

    Services m_services;
    TxMachineState m_machine;
    TxLinkStatus m_status;
    int m_waitTicks = 0; // the reply time-out
    int m_heartbeatTicks = 0;
    int m_ipTestTicks = 0;
    int m_faultBeepTicks = 0;
    bool m_viaTcp = false;
    IpServerControl *m_ipServer = nullptr;
    TroubleReports *m_troubles = nullptr;
    std::function<void()> m_oneSecondWait;
    std::unique_ptr<QTcpSocket> m_tcp;
    bool m_sentOnKeptConnection = false; // the line in flight went into an already open connection
    QByteArray m_writeOnConnect;         // the line for the connection still being made
};
