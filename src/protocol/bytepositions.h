#pragma once

#include <QByteArray>

// The message layouts are written with 1-based positions, and a rule may name positions beyond
// the end of a short or malformed text. These helpers never read past the end: a missing byte is
// absent (it equals nothing), and a run that reaches past the end gives the bytes that are there.
namespace protocol::detail {

inline bool hasPosition(const QByteArray &bytes, qsizetype position) {
    return position >= 1 && position <= bytes.size();
}

// The byte at `position`; 0 where there is none.
inline char byteAt(const QByteArray &bytes, qsizetype position) {
    return hasPosition(bytes, position) ? bytes.at(position - 1) : '\0';
}

inline bool byteIs(const QByteArray &bytes, qsizetype position, char expected) {
    return hasPosition(bytes, position) && bytes.at(position - 1) == expected;
}

inline bool byteIsDigit(const QByteArray &bytes, qsizetype position) {
    if (!hasPosition(bytes, position))
        return false;
    const char c = bytes.at(position - 1);
    return c >= '0' && c <= '9';
}

// `count` bytes from `position`; a start below 1 counts as 1 (the count is kept), a count of 0
// or less gives nothing.
inline QByteArray bytesAt(const QByteArray &bytes, qsizetype position, qsizetype count) {
    if (position < 1)
        position = 1;
    if (count <= 0 || position > bytes.size())
        return {};
    return bytes.mid(position - 1, qMin(count, bytes.size() - position + 1));
}

// Bytes from `first` to `last`, both included.
inline QByteArray bytesFromTo(const QByteArray &bytes, qsizetype first, qsizetype last) {
    return bytesAt(bytes, first, last - first + 1);
}

// 1-based position of the first occurrence of `needle`, 0 when it does not occur.
inline qsizetype positionOf(const QByteArray &bytes, const char *needle) {
    return bytes.indexOf(needle) + 1;
}

} // namespace protocol::detail
