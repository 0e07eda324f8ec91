#pragma once

#include <QtGlobal>
#include <array>
#include <atomic>
#include <vector>

// A Prometheus histogram of durations: fixed upper bounds in seconds, each bucket counted
// without a lock, so any thread may observe while another reads. A reader may see a count that
// is one observation ahead of the sum; a scrape a moment later sees them agree.
class Histogram {
public:
    static constexpr std::size_t maxBuckets = 16;

    // `upperBounds` in seconds, ascending; at most maxBuckets of them (the +Inf bucket is extra).
    explicit Histogram(std::vector<double> upperBounds);

    void observeNs(qint64 nanoseconds);

    struct Snapshot {
        std::vector<double> upperBounds;
        std::vector<quint64> cumulative; // one per bound, then +Inf (= count)
        quint64 count = 0;
        double sumSeconds = 0;
    };
    Snapshot snapshot() const;

private:
    std::vector<double> m_bounds;
    std::array<std::atomic<quint64>, maxBuckets + 1> m_buckets{};
    std::atomic<quint64> m_count{0};
    std::atomic<quint64> m_sumNs{0};
};
