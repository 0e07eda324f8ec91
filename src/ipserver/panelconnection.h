#pragma once

#include "dc09exchange.h"
#include "eventpoller.h"
#include "panelcycle.h"
#include "receiverservices.h"

#include "store/queuejournal.h"

#include <QByteArray>
#include <atomic>
#include <functional>
#include <vector>

class ConnectionCount;

// One panel's TCP connection, served by an I/O thread as a state machine driven by readable data
// and time. Each read of up to 1024 bytes is one text for the panel's rules; a read that starts
// with LF starts DC-09 frames, which may span reads and follow each other. Replies go out as the
// rules make them; when the panel does not take them, reading pauses until it has (so replies
// keep their order and nothing piles up). The connection ends when the panel closes it, on an
// error, when the server stops, when the panel is silent for the idle time, or when a message
// begun has not been answered within the message deadline (a byte every few seconds must not
// hold a connection for ever). A text or DC-09 frame whose reply must wait for the disk holds
// its replies (and those after it) back and pauses the connection; the I/O thread flushes once
// for all such connections of a round, and their replies go out in order after it.
class PanelConnection : public EventPoller::Handler {
public:
    struct Context {
        ReceiverServices services;
        EventPoller &poller;
        ConnectionCount &count;
        std::atomic<int> &disconnectLogFailures;
        std::function<qint64()> clockMs;        // steady milliseconds; tests step it
        std::vector<PanelConnection *> &closed; // where a closed connection leaves its address
        // Where a connection whose replies wait for the disk leaves its address.
        std::vector<PanelConnection *> &awaitingDisk;
    };
    struct Limits {
        int idleMs;
        int messageDeadlineMs;
    };

    // Takes over `fd` (non-blocking) and one count of `context.count`.
    PanelConnection(int fd, QByteArray peer, const Context &context);
    ~PanelConnection() override;
    PanelConnection(const PanelConnection &) = delete;
    PanelConnection &operator=(const PanelConnection &) = delete;

    // Registers for reading and logs the connection; false (errno set) when it cannot be served.
    bool start();
    void ready(std::uint32_t events) override;
    void checkTime(qint64 nowMs, const Limits &limits);
    // Closes without a log line: the server stops or the time is up.
    void end();
    bool isOpen() const { return m_fd >= 0; }
    // What the replies held back wait for: everything up to this journal ticket on the disk.
    quint64 owedTicket() const { return m_owedTicket; }
    // The flush is done: the held replies go out, or, when it failed, none of them does (the
    // panel sends its message again).
    void diskDone(bool stored);

private:
    void readChunks();
    void takeChunk(const QByteArray &bytes);
    bool take(const QByteArray &bytes);
    bool takeFrames();
    bool send(const QByteArray &bytes);
    bool sendNow(const QByteArray &bytes);
    void writePending();
    void peerClosed();

    int m_fd;
    QByteArray m_peer;
    Context m_context;
    PanelCycle m_cycle;
    Dc09Exchange m_exchange;
    QByteArray m_dc09Tail; // the start of a DC-09 frame whose end has not come yet
    QByteArray m_unsent;   // replies the panel has not taken yet
    QByteArray m_held;     // replies that wait for the disk
    quint64 m_owedTicket = 0;
    std::vector<QueueJournal::AfterFlush> m_afterFlush; // what follows the flush, in order
    qint64 m_lastDataMs;
    qint64 m_messageStartMs = -1; // the first byte of a message not answered yet
    bool m_answered = false;      // the current read got a reply
    bool m_peerGone = false;
};
