#pragma once

#include "eventpoller.h"
#include "panelconnection.h"
#include "receiverservices.h"

#include <QThread>
#include <atomic>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <unordered_map>
#include <vector>

class ConnectionCount;
class ConnectionRefusals;

// One of the receiver's few I/O threads: its own event loop (EventPoller) over the connections
// it took from the shared listener, and, on one of them, the DC-09 datagrams. Each connection is
// served by this thread alone, from acceptance to close; the time limits are checked every
// tenth of a second. A stop is taken between two readinesses, so neither a flood of datagrams
// nor thousands of connections can hold it up.
class IoThread : public QThread {
    Q_OBJECT
public:
    struct Shared {
        ReceiverServices services;
        ConnectionCount &count;
        ConnectionRefusals &refusals;
        std::atomic<int> &disconnectLogFailures;
        std::atomic<int> &connectionLimit;
        std::function<qint64()> clockMs;
        PanelConnection::Limits limits;
    };

    // `listener` is shared by every I/O thread; `datagrams` is this thread's, or -1.
    IoThread(const Shared &shared, int listener, int datagrams, QObject *parent = nullptr);
    ~IoThread() override;

    // Any thread: closes every connection of this thread and ends it.
    void stop();
    int connections() const { return m_open.load(); }

protected:
    void run() override;

private:
    class Ready : public EventPoller::Handler {
    public:
        explicit Ready(std::function<void()> call)
            : m_call(std::move(call)) {}
        void ready(std::uint32_t) override { m_call(); }

    private:
        std::function<void()> m_call;
    };

    void acceptWaiting();
    void takeOn(int fd, const QByteArray &peer);
    bool serve(int fd, const QByteArray &peer);
    void pauseAccepting();
    void resumeAcceptingWhenDue(qint64 nowMs);
    void takeDatagrams();
    void takeDatagram(const QByteArray &data, const sockaddr_in &from);
    bool sendDatagram(const QByteArray &bytes, const sockaddr_in &to);
    void settleDatagrams(bool stored);
    void checkTimes();
    void settleDiskWaits();
    void releaseClosed();
    void closeAll();

    Shared m_shared;
    int m_listener;
    int m_datagrams;
    EventPoller m_poller;
    Ready m_acceptReady{[this] { acceptWaiting(); }};
    Ready m_datagramReady{[this] { takeDatagrams(); }};
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_open{0};
    std::unordered_map<PanelConnection *, std::unique_ptr<PanelConnection>> m_connections;
    std::vector<PanelConnection *> m_closed;
    std::vector<PanelConnection *> m_awaitingDisk;
    qint64 m_acceptPausedUntil = -1; // steady ms, -1: accepting
    std::vector<char> m_datagramBuffer;
    // The datagrams' share of the round's flush: their answers wait for it, as the connections'
    // do, and go out in order after it.
    struct HeldAnswer {
        QByteArray bytes;
        sockaddr_in to;
    };
    quint64 m_datagramsOwed = 0;
    std::vector<QueueJournal::AfterFlush> m_datagramsAfterFlush;
    std::vector<HeldAnswer> m_heldAnswers;
};
