#pragma once

#include <QByteArray>
#include <QList>

#include <cstdio>
#include <cstdlib>

// Cuts one fuzzer input into the values an entry needs. Every take is bounded by what is left,
// so any input, however short, is a valid one.
class FuzzInput {
public:
    explicit FuzzInput(const QByteArray &bytes)
        : m_bytes(bytes) {}

    bool atEnd() const { return m_at >= m_bytes.size(); }
    quint8 byte() { return atEnd() ? 0 : quint8(m_bytes.at(m_at++)); }
    // A field: a length byte, then up to that many bytes.
    QByteArray field() {
        const qsizetype length = byte();
        const QByteArray value = m_bytes.mid(m_at, length);
        m_at += value.size();
        return value;
    }
    QByteArray rest() {
        const QByteArray value = m_bytes.mid(m_at);
        m_at = m_bytes.size();
        return value;
    }
    // The rest as texts parted by `separator` (never empty: one text at least).
    QList<QByteArray> texts(char separator) { return rest().split(separator); }

private:
    const QByteArray &m_bytes;
    qsizetype m_at = 0;
};

// A broken rule ends the run the way a crash does, so both the fuzzer and the corpus test see it.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: rule broken: %s\n", __FILE__, __LINE__, #condition);      \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
