#pragma once

// Sees the monitor's queue journal being compacted: a compaction writes the journal aside and
// renames it into place, and the rename shows in the working directory (inotify). At each one
// the monitor's metrics page tells how many lines were queued and how large the new file is.

#include "programchild.h"

#include <poll.h>
#include <sys/inotify.h>

namespace loopback {

class CompactionWatch {
public:
    struct Compaction {
        double at = 0; // nowMs() of the rename
        double txPending = 0, journalBytes = 0;
    };

    explicit CompactionWatch(const Child &monitor)
        : m_monitor(monitor)
        , m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        ::inotify_add_watch(m_fd, monitor.dir.c_str(), IN_MOVED_TO | IN_CREATE);
        m_thread = std::thread([this] { watch(); });
    }
    ~CompactionWatch() {
        m_stop = true;
        m_thread.join();
        ::close(m_fd);
    }
    std::vector<Compaction> compactions() {
        std::lock_guard lock(m_mutex);
        return m_compactions;
    }

private:
    void watch() {
        alignas(inotify_event) char buffer[4096];
        while (!m_stop) {
            pollfd ready{m_fd, POLLIN, 0};
            if (::poll(&ready, 1, 100) <= 0)
                continue;
            const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
            bool renamed = false;
            for (ssize_t at = 0; at < got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                renamed |= event->len > 0 && std::string(event->name) == "Voduro_Queues.jnl";
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
            if (renamed)
                noteCompaction();
        }
    }
    void noteCompaction() {
        Compaction compaction;
        compaction.at = nowMs();
        const std::string page = metricsPage(m_monitor);
        compaction.txPending = metric(page, "voduro_tx_pending");
        compaction.journalBytes = metric(page, "voduro_journal_bytes");
        std::lock_guard lock(m_mutex);
        m_compactions.push_back(compaction);
    }

    const Child &m_monitor;
    int m_fd;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<Compaction> m_compactions;
};

} // namespace loopback
