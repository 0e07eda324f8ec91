#pragma once

// Loopback panels for the benchmarks that drive the real program: many TCP connections on one
// thread (epoll), each polling at its own moment, some sending alarms; an automation receiver
// that acknowledges every line; and a minimal thread-per-connection echo server that sends the
// same reply bytes as the monitor, to compare against. Plain POSIX, no Qt event loop.

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <queue>
#include <string>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace loopback {

inline const std::string pollText = "POLL5801#A\r\n";
inline const std::string pollReply = std::string("[P]\0\x0A\x06\r\n", 8);
inline const std::string ackReply = "\x06\r\n";

inline double nowMs() {
    using namespace std::chrono;
    return double(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count()) /
           1000.0;
}

struct Figures {
    double p50 = 0, p99 = 0, max = 0;
    std::size_t count = 0;
};

inline Figures figures(std::vector<double> samples) {
    Figures f;
    f.count = samples.size();
    if (samples.empty())
        return f;
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) { return samples[std::size_t(q * double(samples.size() - 1))]; };
    f.p50 = at(0.50);
    f.p99 = at(0.99);
    f.max = samples.back();
    return f;
}

// `source`: the local address to connect from (host order, e.g. 127.0.0.2), 0 for the
// system's choice. One source address has as many connections to one port as there are
// ephemeral ports; more need more source addresses.
inline int connectNonBlocking(unsigned short port, std::uint32_t source = 0) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (source != 0) {
        // The port is chosen at connect(), by the whole address pair, not at bind().
        ::setsockopt(fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &on, sizeof on);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(source);
        ::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local);
    }
    ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    return fd;
}

inline int listenLoopback(unsigned short port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(fd, 8192) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline unsigned short boundPort(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    return ntohs(address.sin_port);
}

// A Contact ID burglary report from account `account` (1000-9999), zone `zone` (1-999), with its
// check digit, and the key its automation line carries.
inline std::string alarmReport(int account, int zone) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%04d18113001%03d", account, zone);
    int sum = 0;
    for (const char *c = digits; *c; ++c)
        sum += *c == '0' ? 10 : *c - '0';
    const int check = (15 - sum % 15) % 15;
    return std::string("2") + digits + (check == 0 ? 'F' : "0123456789ABCDE"[check]);
}
inline std::string alarmKey(int account, int zone) {
    char key[16];
    std::snprintf(key, sizeof key, "%04d%03d", account, zone);
    return key;
}

// The automation software: acknowledges every line as soon as its terminator is in, and notes
// when each alarm line arrived.
class AutomationReceiver {
public:
    AutomationReceiver() {
        m_listener = listenLoopback(0);
        m_thread = std::thread([this] { serve(); });
    }
    ~AutomationReceiver() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
            m_credit.notify_all();
        }
        ::shutdown(m_listener, SHUT_RDWR);
        ::close(m_listener);
        if (m_client >= 0)
            ::shutdown(m_client, SHUT_RDWR);
        m_thread.join();
    }
    unsigned short port() const { return boundPort(m_listener); }
    // When each line arrived, by key; how many arrived more than once.
    std::map<std::string, double> arrivals() {
        std::lock_guard lock(m_mutex);
        return m_arrived;
    }
    int duplicates() {
        std::lock_guard lock(m_mutex);
        return m_duplicates;
    }
    // Lines received so far, alarms or not.
    long lines() const { return m_lines; }
    // While not answering, lines are read and noted but each ACK waits for credit (one ACK per
    // credit given): the monitor keeps its lines in "Tx Pending", and the caller sets the pace
    // at which they leave.
    void setAnswering(bool answering) {
        std::lock_guard lock(m_mutex);
        m_answering = answering;
        m_credit.notify_all();
    }
    void giveCredit(long acks) {
        std::lock_guard lock(m_mutex);
        m_acksAllowed += acks;
        m_credit.notify_all();
    }

private:
    void serve() {
        while (!m_stop) {
            const int client = ::accept(m_listener, nullptr, nullptr);
            if (client < 0)
                return;
            m_client = client;
            const int on = 1;
            ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            read(client);
            m_client = -1;
            ::close(client);
        }
    }
    void read(int client) {
        std::string buffer;
        char chunk[4096];
        ssize_t got;
        while ((got = ::read(client, chunk, sizeof chunk)) > 0) {
            buffer.append(chunk, std::size_t(got));
            std::size_t end;
            while ((end = buffer.find('\x14')) != std::string::npos) {
                note(buffer.substr(0, end));
                buffer.erase(0, end + 1);
                if (!mayAnswer())
                    return;
                [[maybe_unused]] const ssize_t sent = ::write(client, "\x06", 1);
            }
        }
    }
    // Waits for credit while not answering; false when the receiver is closing.
    bool mayAnswer() {
        std::unique_lock lock(m_mutex);
        m_credit.wait(lock, [this] { return m_stop || m_answering || m_acksAllowed > 0; });
        if (m_stop)
            return false;
        if (!m_answering)
            --m_acksAllowed;
        return true;
    }
    void note(const std::string &line) {
        ++m_lines;
        if (line.rfind("5041 18", 0) != 0 || line.size() < 20)
            return;
        const std::string key = line.substr(7, 4) + line.substr(line.size() - 3);
        std::lock_guard lock(m_mutex);
        if (!m_arrived.emplace(key, nowMs()).second)
            ++m_duplicates;
    }

    int m_listener = -1;
    std::atomic<int> m_client{-1};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::mutex m_mutex;
    std::map<std::string, double> m_arrived;
    int m_duplicates = 0;
    std::atomic<long> m_lines{0};
    std::condition_variable m_credit;
    bool m_answering = true;
    long m_acksAllowed = 0;
};

// The comparison: one thread per connection, blocking reads, the monitor's reply bytes.
inline int runEchoServer(unsigned short port) {
    const int listener = listenLoopback(port);
    if (listener < 0)
        return 1;
    for (;;) {
        const int client = ::accept(listener, nullptr, nullptr);
        if (client < 0)
            continue;
        std::thread([client] {
            const int on = 1;
            ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            char buffer[1024];
            ssize_t got;
            while ((got = ::read(client, buffer, sizeof buffer)) > 0) {
                const bool poll =
                    std::string(buffer, std::size_t(got)).find("POLL") != std::string::npos;
                const std::string &reply = poll ? pollReply : ackReply;
                if (::write(client, reply.data(), reply.size()) < 0)
                    break;
            }
            ::close(client);
        }).detach();
    }
}

} // namespace loopback
