#pragma once

#include "enginestatus.h"
#include "events/bytelistmodel.h"
#include "events/listexport.h"
#include "events/pendingmessagemodel.h"
#include "ipservertoggle.h"
#include "lineslot.h"
#include "txlink.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

class AccountTable;
class Beeper;
struct EventLists;
class IpServerControl;
class LogBook;
class OperatorDialogs;
class QueueJournal;
class Settings;
class TroubleReports;
class TxQueue;

// The communications engine: the line table, the 100 ms tick, the Zorer-Uda serial lines, the
// transmit link, the decoder feed and the list export. Runs on the user-interface thread; tests
// call tick() directly.
class Engine : public QObject {
    Q_OBJECT
public:
    struct Services {
        Settings &settings;
        LogBook &logs;
        AccountTable &accounts;
        EventLists &lists;
        TxQueue &txQueue;
        OperatorDialogs &dialogs;
        Beeper &beeper;
    };
    using Decoder = std::function<void(const QByteArray &source, const QByteArray &message)>;
    // Monotonic time in nanoseconds; tests give their own.
    using Clock = std::function<qint64()>;
    // What one tick may spend decoding, so the windows stay responsive under a burst.
    static constexpr qint64 decodeBudgetNs = 20'000'000;
    // "Received Data" keeps this many rows, the newest: a Coms Setup window left open for days
    // must not fill the memory.
    static constexpr int receivedDataRowLimit = 20000;

    explicit Engine(Services services, QObject *parent = nullptr);
    ~Engine() override;

    void setDecoder(Decoder decoder) { m_decoder = std::move(decoder); }
    void setClock(Clock clock) { m_clock = std::move(clock); }
    // The durable copy of "Pending Messages" and "Tx Pending"; without one they live in memory.
    void setJournal(QueueJournal *journal);
    void setIpServer(IpServerControl *server);
    // Where the loss of a Zorer-Uda device, and the self-test's restart of the IP receiver, are
    // said.
    void setTroubleReports(TroubleReports *troubles);
    void setOneSecondWait(std::function<void()> wait) {
        m_txLink.setOneSecondWait(std::move(wait));
    }

    void startTimer() { m_timer.start(); } // the program's 100 ms tick
    void tick();

    // Lines 1, 2 and 5 (the Tx link).
    void startStop(int line);
    bool isLineStarted(int line) const;
    void portOrSpeedChanged(int line);
    void closePorts(); // at shutdown: ports closed, running flags kept
    void resetState(); // at start-up: export positions, connections and the link's TCP mode cleared

    // The IP network: the START/STOP IP toggle, and the watchdog that the IP receiver feeds.
    IpServerToggle &ipServerToggle() { return m_ipServerToggle; }
    void feedIpWatchdog() { m_ipServerToggle.feedWatchdog(); }
    // Decodes what has just been queued, within the tick's budget.
    void decodeArrivals();
    void showIpPeer(const QString &address) { m_ipServerToggle.showPeer(address); }

    void setSetupWindowOpen(bool open) { m_setupWindowOpen = open; }
    bool setupWindowOpen() const { return m_setupWindowOpen; }

    PendingMessageModel &pendingMessages() { return m_pendingMessages; } // "Pending Messages"
    ByteListModel &receivedData() { return m_receivedData; }             // "Received Data"
    // Lines 1 and 2 as the engine shows them, the IP network and the Tx link as they show
    // themselves.
    EngineStatus status() const;
    TxLink &txLink() { return m_txLink; }
    LineSlot &slot(int n) { return m_slots.at(static_cast<std::size_t>(n - 1)); }
    QSerialPort &comPort(int line);
    void clearTxQueue() { m_txLink.clearQueue(); }

    // The list export that every tick runs. Its positions (rows exported) of the four lists:
    // Poll_List, ContactIDList, FastList, SIAList. A clear of a list first exports its rows not
    // yet exported and then puts its position back to 0.
    ListExport &listExport() { return m_listExport; }
    std::array<qint64, 4> exportPositions() const { return m_listExport.positions(); }

signals:
    void statusChanged();                          // the status display changed
    void lineStateChanged(int line, bool started); // "START COMS" / "STOP COMS"
    void traffic(int line, bool transmit);         // a line sent or received bytes
    void rowExported(const QString &rowText);      // becomes part of the main window's title
    void ticked();                                 // a tick has run, on the tick's thread

private:
    void dataAvailable(int slotNumber, const QByteArray &bytes);
    void takeAcknowledgement();
    void serviceTxReplyNow();
    void serviceSlot(int n);
    void forwardFromReceiver();
    void acknowledgeAndQueue(int n, const QByteArray &text);
    AccountVerdict lookUpAccount(const MessageAccount &account, const QByteArray &caller);
    void showReceived(const QByteArray &text);
    void updateStatusDisplay(int n);
    void feedDecoder();
    qint64 decodeFor(qint64 budgetNs);
    void decodeFirst();
    void connectionLost();
    void stopLine(int line);
    void clearLine(int line);
    void deviceError(int line, QSerialPort::SerialPortError error);
    void reopenLostDevice(int line);
    void reportDevice(int line, const char *event);
    void sayDeviceLost(int line, bool lost);
    void startLine(int line);
    bool configurePort(int line);
    void setLineRunning(int line, bool running);
    void publishStatus();

    Services m_services;
    std::array<LineSlot, slotCount> m_slots{};
    std::array<std::unique_ptr<QSerialPort>, 3> m_comPorts; // lines 1, 2, 5
    PendingMessageModel m_pendingMessages;
    ByteListModel m_receivedData{QStringLiteral("ListBox1")};
    EngineStatus m_lineStatus; // written here for the serial lines only
    EngineStatus m_publishedStatus;
    TxLink m_txLink;
    Decoder m_decoder;
    TroubleReports *m_troubles = nullptr;
    qint64 m_arrivalBudgetNs = decodeBudgetNs; // left for decoding on arrival until the next tick
    QElapsedTimer m_elapsed;
    Clock m_clock;
    QueueJournal *m_journal = nullptr;
    IpServerToggle m_ipServerToggle;
    QTimer m_timer;
    bool m_setupWindowOpen = false;
    ListExport m_listExport;
};
