#pragma once

#include <QtGlobal>
#include <utility>
#include <vector>

// The display order of a sorted list as row numbers, kept in chunks of at most maxChunk entries
// with a Fenwick tree over the chunk sizes. Finding a position and inserting at it costs
// O(log n + maxChunk), so a list of a million rows takes a new row as quickly as an empty one;
// a plain sorted vector would move half the list on every insertion.
class SortedRowIndex {
public:
    static constexpr qsizetype maxChunk = 1024;

    qsizetype size() const { return m_size; }
    quint32 at(qsizetype position) const;

    // The first position whose row the new row sorts before; size() when there is none.
    // `before(row)` must be false for a leading run of positions and true for the rest.
    template <typename Before> qsizetype upperBound(Before before) const;

    void insert(qsizetype position, quint32 row); // 0 <= position <= size()
    void remove(qsizetype position);
    void clear();

    // The runs of positions whose rows `taken(row)` picks, as (first position, count), in order.
    template <typename Taken> std::vector<std::pair<qsizetype, qsizetype>> runs(Taken taken) const;
    // Keeps the rows that `taken(row)` does not pick, in their order: one pass over all.
    template <typename Taken> void removeIf(Taken taken);

private:
    struct Location {
        std::size_t chunk;
        qsizetype offset;
    };
    Location locate(qsizetype position) const; // position == size() gives the end of the last chunk
    qsizetype prefix(std::size_t chunk) const; // entries in the chunks before `chunk`
    void addToTree(std::size_t chunk, qsizetype delta);
    void rebuildTree();
    void splitChunk(std::size_t chunk);

    std::vector<std::vector<quint32>> m_chunks;
    std::vector<qsizetype> m_tree; // 1-based Fenwick tree of chunk sizes
    qsizetype m_size = 0;
};

template <typename Before> qsizetype SortedRowIndex::upperBound(Before before) const {
    // The first chunk whose last row sorts after the new one holds the answer.
    std::size_t low = 0;
    std::size_t high = m_chunks.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (before(m_chunks[middle].back()))
            high = middle;
        else
            low = middle + 1;
    }
    if (low == m_chunks.size())
        return m_size;
    const std::vector<quint32> &chunk = m_chunks[low];
    std::size_t first = 0;
    std::size_t last = chunk.size() - 1; // before(chunk[last]) holds
    while (first < last) {
        const std::size_t middle = first + (last - first) / 2;
        if (before(chunk[middle]))
            last = middle;
        else
            first = middle + 1;
    }
    return prefix(low) + static_cast<qsizetype>(first);
}

template <typename Taken>
std::vector<std::pair<qsizetype, qsizetype>> SortedRowIndex::runs(Taken taken) const {
    std::vector<std::pair<qsizetype, qsizetype>> result;
    qsizetype position = 0;
    for (const std::vector<quint32> &chunk : m_chunks) {
        for (quint32 row : chunk) {
            if (taken(row)) {
                if (!result.empty() && result.back().first + result.back().second == position)
                    ++result.back().second;
                else
                    result.emplace_back(position, 1);
            }
            ++position;
        }
    }
    return result;
}

template <typename Taken> void SortedRowIndex::removeIf(Taken taken) {
    for (std::vector<quint32> &chunk : m_chunks)
        m_size -= static_cast<qsizetype>(std::erase_if(chunk, taken));
    std::erase_if(m_chunks, [](const std::vector<quint32> &chunk) { return chunk.empty(); });
    rebuildTree();
}
