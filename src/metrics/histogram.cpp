#include "histogram.h"

#include <algorithm>

Histogram::Histogram(std::vector<double> upperBounds)
    : m_bounds(std::move(upperBounds)) {
    if (m_bounds.size() > maxBuckets)
        m_bounds.resize(maxBuckets);
}

void Histogram::observeNs(qint64 nanoseconds) {
    const qint64 ns = std::max<qint64>(nanoseconds, 0);
    const double seconds = double(ns) / 1e9;
    const auto bucket = std::lower_bound(m_bounds.begin(), m_bounds.end(), seconds);
    m_buckets[std::size_t(bucket - m_bounds.begin())].fetch_add(1, std::memory_order_relaxed);
    m_sumNs.fetch_add(quint64(ns), std::memory_order_relaxed);
    m_count.fetch_add(1, std::memory_order_relaxed);
}

Histogram::Snapshot Histogram::snapshot() const {
    Snapshot taken;
    taken.upperBounds = m_bounds;
    quint64 running = 0;
    for (std::size_t i = 0; i <= m_bounds.size(); ++i) {
        running += m_buckets[i].load(std::memory_order_relaxed);
        taken.cumulative.push_back(running);
    }
    // The buckets are the truth: the count read apart from them could disagree for a moment.
    taken.count = running;
    taken.sumSeconds = double(m_sumNs.load(std::memory_order_relaxed)) / 1e9;
    return taken;
}
