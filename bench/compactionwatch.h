#pragma once

// Sees the monitor's queue journal being compacted: a compaction writes the journal aside,
// renames it into place and flushes the directory, all under the journal's lock, and the
// rename and the directory's closing after its flush show in the working directory (inotify).
// At each one the monitor's metrics page tells how many lines were queued and how large the
// new file is.

#include "programchild.h"

#include <poll.h>
#include <sys/inotify.h>

namespace loopback {

class CompactionWatch {
public:
    struct Compaction {
        double renamed = 0; // nowMs() of the rename
        double at = 0;      // of the directory's closing after it (the rename's when none)
        double txPending = 0, journalBytes = 0;
    };

    explicit CompactionWatch(const Child &monitor)
        : m_monitor(monitor)
        , m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        ::inotify_add_watch(m_fd, monitor.dir.c_str(), IN_MOVED_TO | IN_CLOSE_NOWRITE);
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
        double renamed = 0;
        while (!m_stop) {
            pollfd ready{m_fd, POLLIN, 0};
            if (::poll(&ready, 1, renamed > 0 ? 20 : 100) <= 0) {
                if (renamed > 0 && nowMs() - renamed > 1000) { // no directory flush seen
                    noteCompaction(renamed, renamed);
                    renamed = 0;
                }
                continue;
            }
            const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
            for (ssize_t at = 0; at < got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                at += ssize_t(sizeof(inotify_event) + event->len);
                if ((event->mask & IN_MOVED_TO) && event->len > 0 &&
                    std::string(event->name) == "Voduro_Queues.jnl")
                    renamed = nowMs();
                else if ((event->mask & IN_CLOSE_NOWRITE) && event->len == 0 && renamed > 0)
                    noteCompaction(std::exchange(renamed, 0), nowMs());
            }
        }
    }
    void noteCompaction(double renamed, double ended) {
        Compaction compaction;
        compaction.renamed = renamed;
        compaction.at = ended;
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
