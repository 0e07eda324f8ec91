#pragma once

#include "enginestatus.h"
#include "settings/settingkeys.h"

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

// The link's counters (in ticks of 100 ms) and flags.
struct TxLinkState {
    int TxWaitTicks = 0;
    int TxAttemptsLeft = 0;
    int HeartbeatTicks = 0;
    int IpTestTicks = 0;
    int FaultBeepTicks = 0;
    bool TxViaTcp = false;
    bool TxOnSecondary = false;
    bool TxAcked = false;
    bool IpTestInFlight = false;
    bool BackupAfterFailure = false;
};

// Delivers "Tx Pending" one line at a time to the automation software over the serial port of
// line 5 or the TCP client (primary, then secondary address), waits for ACK, retries, raises
// "FAULT" with a repeating beep, and runs the heartbeat and the self-test of the IP server.
class TxLink : public QObject {
    Q_OBJECT
public:
    struct Services {
        Settings &settings;
        LogBook &logs;
        TxQueue &queue;
        Beeper &beeper;
        OperatorDialogs &dialogs;
        EngineStatus &status;
        QSerialPort &comPort5;
        QByteArray &replyText; // slot 5's received text
    };

    explicit TxLink(Services services, QObject *parent = nullptr);
    ~TxLink() override;

    TxLinkState &state() { return m_state; }
    const TxLinkState &state() const { return m_state; }
    void setIpServer(IpServerControl *server) { m_ipServer = server; }
    void setOneSecondWait(std::function<void()> wait) { m_oneSecondWait = std::move(wait); }

    // Start and stop of line 5, after its port part.
    void start();
    void stop();

    bool tcpOpen() const;
    void closeTcp(); // closes the connection and switches its indicators off

    // Tick steps 3 to 6. `tickIdle` is cleared when a line is sent.
    void transmitStep(bool &tickIdle);
    void heartbeatCountdown();
    void selfTestCountdown();
    void faultWarningCountdown();

    // Slot 5 was serviced with a reply starting with ACK.
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
    void sendStep(bool &tickIdle);
    void sendHead(bool &tickIdle);
    void sendOverNetwork(const QByteArray &framed);
    void openConnection(const QString &address, SettingKey portKey, TxTarget target);
    void writeWhenConnected(const QByteArray &framed);
    void showNotConnected();
    void selfTestUnanswered();
    void resendOnNewConnection();
    void startReplyTimeout();
    void deliveryFailed();
    void raiseFault();
    void clearFault();
    void removeHeadAndReload();
    bool forceBackup() const;
    bool secondaryConfigured() const;
    QByteArray framedHead(const QByteArray &head);
    // The number in a settings field, brought into its range; a text that is no number or is out
    // of range is logged to "IP_EXPlog.TXT".
    std::optional<int> settingInteger(SettingKey key);

    Services m_services;
    TxLinkState m_state;
    IpServerControl *m_ipServer = nullptr;
    std::function<void()> m_oneSecondWait;
    std::unique_ptr<QTcpSocket> m_tcp;
    // A line went out and no ACK has been taken for it since: an ACK without a line waiting
    // for it (after a clear, or a second ACK for one send) must not remove an unsent line.
    bool m_lineAwaitingAck = false;
    bool m_sentOnKeptConnection = false; // the line in flight went into an already open connection
    QByteArray m_writeOnConnect;         // the line for the connection still being made
};
