#pragma once

// DC-09 panels for the program benchmarks: TCP connections on one epoll thread, each its own
// account with its own AES-128 key, sending encrypted SIA-DCS reports stamped with the current
// UTC time and a new sequence number and zone each time (so no report is a repeat of another).
// A waiting panel sends its next report when the answer to the last one is in; a streaming one
// keeps several in flight and reads the answers as they come. Round trips are timed per frame.

#include "loopbackpanels.h"
#include "protocol/dc09cipher.h"
#include "protocol/dc09content.h"
#include "protocol/dc09frame.h"
#include "protocol/dc09reply.h"

#include <QByteArray>
#include <QDateTime>
#include <deque>

namespace loopback {

inline std::string dc09Account(int index) {
    return std::to_string(6001 + index);
}

// The panel's key: 16 bytes that differ per account.
inline QByteArray dc09Key(int index) {
    QByteArray key(16, '\0');
    for (int i = 0; i < 16; ++i)
        key[i] = char((index * 131 + i * 17 + 7) & 0xFF);
    return key;
}

// Dc09Keys.txt for panels 0 .. count-1.
inline std::string dc09KeyFile(int count) {
    std::string text = "# the bench's panels\n";
    for (int i = 0; i < count; ++i)
        text += dc09Account(i) + " hex:" + dc09Key(i).toHex().toUpper().toStdString() + "\n";
    return text;
}

// The receiver's time text, made again at most every 100 ms.
inline QByteArray currentStamp() {
    static double madeAt = -1000;
    static QByteArray stamp;
    if (nowMs() - madeAt > 100) {
        stamp = "_" + dc09::timestampText(QDateTime::currentDateTimeUtc());
        madeAt = nowMs();
    }
    return stamp;
}

// An encrypted SIA-DCS burglary report of panel `index`: sequence `sequence` (1-9999) and
// zone `zone` (0-999).
inline std::string dc09Report(int index, int sequence, int zone) {
    const QByteArray account = QByteArray::fromStdString(dc09Account(index));
    char data[48];
    std::snprintf(data, sizeof data, "|#%s|Nri1/BA%03d]", account.constData(), zone);
    const QByteArray content = data + currentStamp();
    const QByteArray plain = QByteArray(16 - content.size() % 16, 'p') + content;
    const QByteArray cipherText = dc09::encrypt(dc09Key(index), plain).value_or(QByteArray());
    char header[32];
    std::snprintf(header, sizeof header, "\"*SIA-DCS\"%04dR0L0#", sequence);
    return dc09::framed(header + account + "[" + cipherText.toHex().toUpper()).toStdString();
}

// The monitor's answer to a report of panel 0, for a comparison server to send in its place.
inline std::string dc09CannedAnswer() {
    const std::string frame = dc09Report(0, 1, 1);
    QByteArray rejection;
    const auto body = dc09::checkedBody(QByteArray::fromStdString(frame), rejection);
    const auto header = body ? dc09::parseHeader(*body) : std::nullopt;
    if (!header)
        return "\n0000" + std::string(88, 'A') + "\r";
    return dc09::encryptedAckReply(*header, dc09Key(0), QDateTime::currentDateTimeUtc(),
                                   dc09::randomPad())
        .toStdString();
}

class Dc09Load {
public:
    struct Panel {
        int fd = -1;
        bool connected = false;
        int window = 1; // frames kept in flight
        std::deque<double> sentAt;
        std::string received, unsent;
        int sequence = 0;
        bool watchingWritable = true;
    };

    // `panels` connections, the first `streams` of them keeping `window` frames in flight.
    Dc09Load(unsigned short port, int panels, int streams, int window)
        : m_port(port)
        , m_epoll(::epoll_create1(EPOLL_CLOEXEC)) {
        m_panels.resize(std::size_t(panels));
        for (std::size_t i = 0; i < m_panels.size(); ++i) {
            m_panels[i].window = int(i) < streams ? window : 1;
            m_panels[i].sequence = int(i * 37 % 9999);
            open(i);
        }
    }
    ~Dc09Load() {
        for (Panel &panel : m_panels)
            ::close(panel.fd);
        ::close(m_epoll);
    }
    int connectedCount() const {
        return int(std::count_if(m_panels.begin(), m_panels.end(),
                                 [](const Panel &p) { return p.connected; }));
    }
    void connectAll(double timeoutMs) {
        const double until = nowMs() + timeoutMs;
        while (connectedCount() < int(m_panels.size()) && nowMs() < until)
            run(nowMs() + 50);
    }
    // Sends from every panel until `untilMs`, then waits up to `drainMs` for the answers out.
    void measure(double untilMs, double drainMs) {
        m_sending = true;
        m_start = nowMs();
        for (std::size_t i = 0; i < m_panels.size(); ++i)
            fill(i);
        run(untilMs);
        m_sending = false;
        m_end = nowMs();
        run(m_end + drainMs, true);
    }
    double seconds() const { return (m_end - m_start) / 1000.0; }

    // Round trips of the waiting panels and of the streams; answers that are not ACKs; answers
    // in the sending time of each kind; connections closed by the server.
    std::vector<double> waitingTrips, streamTrips;
    long notAcknowledged = 0, waitingAnswers = 0, streamAnswers = 0, closed = 0;

private:
    void open(std::size_t i) {
        Panel &panel = m_panels[i];
        panel.fd = connectNonBlocking(m_port);
        epoll_event event{};
        event.events = EPOLLIN | EPOLLOUT;
        event.data.u64 = i;
        ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, panel.fd, &event);
    }
    void run(double untilMs, bool draining = false) {
        std::vector<epoll_event> events(512);
        while (nowMs() < untilMs) {
            if (draining && outstanding() == 0)
                return;
            const int count = ::epoll_wait(m_epoll, events.data(), int(events.size()), 1);
            for (int e = 0; e < count; ++e)
                ready(std::size_t(events[std::size_t(e)].data.u64), events[std::size_t(e)].events);
        }
    }
    std::size_t outstanding() const {
        std::size_t count = 0;
        for (const Panel &panel : m_panels)
            count += panel.connected ? panel.sentAt.size() : 0;
        return count;
    }
    // Sends until the panel's window is full; what the socket does not take yet is sent when
    // it becomes writable.
    void fill(std::size_t i) {
        Panel &panel = m_panels[i];
        while (m_sending && panel.connected && panel.unsent.empty() &&
               int(panel.sentAt.size()) < panel.window) {
            panel.sequence = panel.sequence % 9999 + 1;
            panel.unsent = dc09Report(int(i), panel.sequence, panel.sequence % 1000);
            panel.sentAt.push_back(nowMs());
            flush(panel);
        }
        if (panel.connected)
            watch(i, !panel.unsent.empty());
    }
    void flush(Panel &panel) {
        while (!panel.unsent.empty()) {
            const ssize_t sent =
                ::send(panel.fd, panel.unsent.data(), panel.unsent.size(), MSG_NOSIGNAL);
            if (sent <= 0)
                return;
            panel.unsent.erase(0, std::size_t(sent));
        }
    }
    void ready(std::size_t i, std::uint32_t events) {
        Panel &panel = m_panels[i];
        if ((events & EPOLLOUT) && !panel.connected) {
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(panel.fd, SOL_SOCKET, SO_ERROR, &error, &length);
            if (error != 0)
                return drop(i);
            panel.connected = true;
        } else if (events & EPOLLOUT) {
            flush(panel);
        }
        if (events & (EPOLLIN | EPOLLHUP | EPOLLERR))
            receive(i);
        if (panel.connected)
            fill(i);
    }
    void receive(std::size_t i) {
        Panel &panel = m_panels[i];
        char buffer[4096];
        const ssize_t got = ::recv(panel.fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            if (got == 0 || errno != EAGAIN)
                drop(i);
            return;
        }
        panel.received.append(buffer, std::size_t(got));
        std::size_t end;
        while ((end = panel.received.find('\r')) != std::string::npos) {
            answered(panel, panel.received.find("ACK\"") < end);
            panel.received.erase(0, end + 1);
        }
    }
    void answered(Panel &panel, bool acknowledged) {
        if (panel.sentAt.empty())
            return;
        const double now = nowMs();
        const bool stream = panel.window > 1;
        (stream ? streamTrips : waitingTrips).push_back(now - panel.sentAt.front());
        panel.sentAt.pop_front();
        if (!acknowledged)
            ++notAcknowledged;
        if (m_sending)
            ++(stream ? streamAnswers : waitingAnswers);
    }
    // A connection the server closed (or refused) is not opened again: counted.
    void drop(std::size_t i) {
        Panel &panel = m_panels[i];
        ++closed;
        panel.connected = false;
        panel.sentAt.clear();
        ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, panel.fd, nullptr);
    }
    void watch(std::size_t i, bool writable) {
        Panel &panel = m_panels[i];
        if (panel.watchingWritable == writable)
            return;
        panel.watchingWritable = writable;
        epoll_event event{};
        event.events = EPOLLIN | (writable ? EPOLLOUT : 0u);
        event.data.u64 = i;
        ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, panel.fd, &event);
    }

    unsigned short m_port;
    int m_epoll;
    std::vector<Panel> m_panels;
    bool m_sending = false;
    double m_start = 0, m_end = 0;
};

// The comparison: one thread per connection, blocking reads, `answer` sent once for every CR
// received (every frame), no crypto and no disk.
inline int runDc09EchoServer(unsigned short port, const std::string &answer) {
    const int listener = listenLoopback(port);
    if (listener < 0)
        return 1;
    for (;;) {
        const int client = ::accept(listener, nullptr, nullptr);
        if (client < 0)
            continue;
        std::thread([client, answer] {
            const int on = 1;
            ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            char buffer[4096];
            ssize_t got;
            std::string replies;
            while ((got = ::read(client, buffer, sizeof buffer)) > 0) {
                replies.clear();
                for (ssize_t i = 0; i < got; ++i)
                    if (buffer[i] == '\r')
                        replies += answer;
                if (!replies.empty() && ::write(client, replies.data(), replies.size()) < 0)
                    break;
            }
            ::close(client);
        }).detach();
    }
}

} // namespace loopback
