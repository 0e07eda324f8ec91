#pragma once

// The panels' side of the program benchmarks: connections on one epoll thread, each sending one
// text at a time and timing its reply; pollers send a poll at their own moment of every
// interval, alarm panels send a Contact ID report when told. A connection the server closes
// (the 10 s idle close) is opened again at once, and a text it did not answer is sent again.

#include "loopbackpanels.h"

#include <functional>
#include <utility>

namespace loopback {

class PanelLoad {
public:
    struct Panel {
        int fd = -1;
        bool connected = false;
        std::string waiting;  // to send once connected
        std::string expected; // the reply awaited
        std::string received;
        double sentAt = 0; // 0: nothing outstanding
        bool alarm = false;
    };

    // `lazy`: a poller the server closed connects again only when its next poll is due, as a
    // panel does; otherwise at once. `source`: the local address to connect from (0: any).
    PanelLoad(unsigned short port, int pollers, double pollIntervalMs, int alarmPanels,
              bool lazy = false, std::uint32_t source = 0)
        : m_lazy(lazy)
        , m_source(source)
        , m_port(port)
        , m_intervalMs(pollIntervalMs)
        , m_pollers(pollers)
        , m_epoll(::epoll_create1(EPOLL_CLOEXEC)) {
        m_panels.resize(std::size_t(pollers + alarmPanels));
        m_lastText.resize(m_panels.size());
        for (std::size_t i = 0; i < m_panels.size(); ++i) {
            m_panels[i].alarm = int(i) >= pollers;
            open(i);
        }
    }
    ~PanelLoad() {
        for (Panel &panel : m_panels)
            if (panel.fd >= 0)
                ::close(panel.fd);
        ::close(m_epoll);
    }

    int connectedCount() const {
        return int(std::count_if(m_panels.begin(), m_panels.end(),
                                 [](const Panel &p) { return p.connected; }));
    }
    // Runs until `untilMs`, with `tick(nowMs)` called every millisecond or so (alarms).
    void run(double untilMs, const std::function<void(double)> &tick = {}) {
        std::vector<epoll_event> events(512);
        while (nowMs() < untilMs) {
            const double now = nowMs();
            if (m_polling)
                sendDuePolls(now);
            if (tick)
                tick(now);
            const int count = ::epoll_wait(m_epoll, events.data(), int(events.size()), 1);
            for (int e = 0; e < count; ++e)
                ready(std::size_t(events[std::size_t(e)].data.u64), events[std::size_t(e)].events);
        }
    }
    // Polls start now, each poller at its own moment of the interval.
    void startPolling() {
        m_polling = true;
        m_pollStart = nowMs();
        m_nextPoll = 0;
    }
    void stopPolling() { m_polling = false; }
    // Sends a report from alarm panel `index` (0-based among the alarm panels); false when it
    // still waits for the reply to its last one.
    bool sendAlarm(int index, const std::string &report) {
        Panel &panel = m_panels[std::size_t(m_pollers + index)];
        if (panel.sentAt > 0 || !panel.waiting.empty())
            return false;
        send(std::size_t(m_pollers + index), report, ackReply);
        return true;
    }
    bool idle(int alarmIndex) const {
        const Panel &panel = m_panels[std::size_t(m_pollers + alarmIndex)];
        return panel.sentAt == 0 && panel.waiting.empty();
    }

    std::vector<double> pollLatencies, alarmAcks;
    // When each answered poll was sent, beside its round trip in pollLatencies.
    std::vector<double> pollSentAt;
    long sentPolls = 0, resent = 0, reconnects = 0;

private:
    void open(std::size_t i) {
        Panel &panel = m_panels[i];
        panel.fd = connectNonBlocking(m_port, m_source);
        panel.connected = false;
        epoll_event event{};
        event.events = EPOLLOUT | EPOLLIN;
        event.data.u64 = i;
        ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, panel.fd, &event);
    }
    void reopen(std::size_t i) {
        Panel &panel = m_panels[i];
        ::close(panel.fd);
        ++reconnects;
        if (panel.sentAt > 0) { // unanswered: sent again on the new connection
            panel.waiting = m_lastText[i];
            ++resent;
        }
        panel.sentAt = 0;
        panel.received.clear();
        panel.connected = false;
        if (m_lazy && !panel.alarm && panel.waiting.empty()) {
            panel.fd = -1;
            return;
        }
        open(i);
    }
    void sendDuePolls(double now) {
        const double step = m_intervalMs / double(std::max(m_pollers, 1));
        while (m_pollers > 0 && m_pollStart + double(m_nextPoll) * step <= now) {
            const std::size_t i = std::size_t(m_nextPoll % m_pollers);
            ++m_nextPoll;
            if (m_panels[i].sentAt == 0 && m_panels[i].waiting.empty()) {
                send(i, pollText, pollReply);
                ++sentPolls;
            }
        }
    }
    void send(std::size_t i, const std::string &text, const std::string &reply) {
        Panel &panel = m_panels[i];
        panel.expected = reply;
        if (panel.fd < 0)
            open(i);
        if (!panel.connected) {
            panel.waiting = text;
            return;
        }
        panel.sentAt = nowMs();
        panel.received.clear();
        m_lastText[i] = text;
        if (::send(panel.fd, text.data(), text.size(), MSG_NOSIGNAL) != ssize_t(text.size()))
            reopen(i);
    }
    void ready(std::size_t i, std::uint32_t events) {
        Panel &panel = m_panels[i];
        if (!panel.connected && (events & EPOLLOUT)) {
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(panel.fd, SOL_SOCKET, SO_ERROR, &error, &length);
            if (error != 0)
                return reopen(i);
            panel.connected = true;
            epoll_event event{};
            event.events = EPOLLIN;
            event.data.u64 = i;
            ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, panel.fd, &event);
            if (!panel.waiting.empty())
                send(i, std::exchange(panel.waiting, std::string()), panel.expected);
            return;
        }
        char buffer[256];
        const ssize_t got = ::recv(panel.fd, buffer, sizeof buffer, 0);
        if (got <= 0) {
            if (got < 0 && errno == EAGAIN)
                return;
            return reopen(i);
        }
        panel.received.append(buffer, std::size_t(got));
        if (panel.sentAt > 0 && panel.received.size() >= panel.expected.size()) {
            (panel.alarm ? alarmAcks : pollLatencies).push_back(nowMs() - panel.sentAt);
            if (!panel.alarm)
                pollSentAt.push_back(panel.sentAt);
            panel.sentAt = 0;
            panel.received.clear();
        }
    }

    bool m_lazy;
    std::uint32_t m_source;
    unsigned short m_port;
    double m_intervalMs;
    int m_pollers;
    int m_epoll;
    std::vector<Panel> m_panels;
    std::vector<std::string> m_lastText;
    bool m_polling = false;
    double m_pollStart = 0;
    long m_nextPoll = 0;
};

} // namespace loopback
