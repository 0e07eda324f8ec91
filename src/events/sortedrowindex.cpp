#include "sortedrowindex.h"

#include <bit>

quint32 SortedRowIndex::at(qsizetype position) const {
    const Location where = locate(position);
    return m_chunks[where.chunk][static_cast<std::size_t>(where.offset)];
}

void SortedRowIndex::insert(qsizetype position, quint32 row) {
    if (m_chunks.empty()) {
        m_chunks.emplace_back().reserve(maxChunk);
        rebuildTree();
    }
    Location where = locate(position);
    std::vector<quint32> *chunk = &m_chunks[where.chunk];
    if (static_cast<qsizetype>(chunk->size()) == maxChunk) {
        // Rows mostly arrive in order: a full last chunk that is appended to starts a new
        // chunk, so the chunks of an ordered list stay full instead of half empty.
        if (where.chunk + 1 == m_chunks.size() && where.offset == maxChunk) {
            m_chunks.emplace_back().reserve(maxChunk);
            where = {m_chunks.size() - 1, 0};
            rebuildTree();
        } else {
            splitChunk(where.chunk);
            where = locate(position);
        }
        chunk = &m_chunks[where.chunk];
    }
    chunk->insert(chunk->begin() + where.offset, row);
    addToTree(where.chunk, 1);
    ++m_size;
}

void SortedRowIndex::remove(qsizetype position) {
    const Location where = locate(position);
    std::vector<quint32> &chunk = m_chunks[where.chunk];
    chunk.erase(chunk.begin() + where.offset);
    --m_size;
    if (chunk.empty()) {
        m_chunks.erase(m_chunks.begin() + static_cast<std::ptrdiff_t>(where.chunk));
        rebuildTree();
    } else {
        addToTree(where.chunk, -1);
    }
}

void SortedRowIndex::clear() {
    m_chunks.clear();
    m_chunks.shrink_to_fit();
    m_tree.clear();
    m_tree.shrink_to_fit();
    m_size = 0;
}

SortedRowIndex::Location SortedRowIndex::locate(qsizetype position) const {
    if (position >= m_size)
        return {m_chunks.size() - 1, static_cast<qsizetype>(m_chunks.back().size())};
    // Fenwick descent: the most chunks whose sizes add up to no more than the position.
    std::size_t chunk = 0;
    qsizetype rest = position;
    for (std::size_t step = std::bit_floor(m_chunks.size()); step != 0; step >>= 1) {
        if (chunk + step <= m_chunks.size() && m_tree[chunk + step] <= rest) {
            chunk += step;
            rest -= m_tree[chunk];
        }
    }
    return {chunk, rest};
}

qsizetype SortedRowIndex::prefix(std::size_t chunk) const {
    qsizetype sum = 0;
    for (std::size_t node = chunk; node != 0; node &= node - 1)
        sum += m_tree[node];
    return sum;
}

void SortedRowIndex::addToTree(std::size_t chunk, qsizetype delta) {
    for (std::size_t node = chunk + 1; node < m_tree.size(); node += node & (~node + 1))
        m_tree[node] += delta;
}

void SortedRowIndex::rebuildTree() {
    m_tree.assign(m_chunks.size() + 1, 0);
    for (std::size_t node = 1; node < m_tree.size(); ++node) {
        m_tree[node] += static_cast<qsizetype>(m_chunks[node - 1].size());
        const std::size_t parent = node + (node & (~node + 1));
        if (parent < m_tree.size())
            m_tree[parent] += m_tree[node];
    }
}

void SortedRowIndex::splitChunk(std::size_t chunk) {
    std::vector<quint32> &full = m_chunks[chunk];
    const auto half = full.begin() + static_cast<std::ptrdiff_t>(full.size() / 2);
    std::vector<quint32> upper;
    upper.reserve(maxChunk);
    upper.assign(half, full.end());
    full.erase(half, full.end());
    m_chunks.insert(m_chunks.begin() + static_cast<std::ptrdiff_t>(chunk) + 1, std::move(upper));
    rebuildTree();
}
