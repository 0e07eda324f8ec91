#pragma once

#include <QByteArray>

// Character classes the DC-09 fields are checked against.
namespace dc09 {

inline bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

inline bool allHexDigits(const QByteArray &text) {
    for (const char c : text) {
        if (!isHexDigit(c))
            return false;
    }
    return true;
}

// Printable ASCII, the blank included.
inline bool allPrintable(const QByteArray &text) {
    for (const char c : text) {
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

// Text as reports carry it: printable ASCII and the bytes 0x80-0xFF (an accented letter in the
// Windows-1252 that DC-09 allows), no control byte.
inline bool allTextBytes(const QByteArray &text) {
    for (const char c : text) {
        if (quint8(c) < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

} // namespace dc09
