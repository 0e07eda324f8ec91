#include "protocol/dc09receipt.h"

namespace dc09 {

namespace {

bool allHex(const QByteArray &text) {
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

bool allPrintable(const QByteArray &text) {
    for (const char c : text) {
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

} // namespace

// 32 characters that are all hex digits are read as 32 hex digits (a 128-bit key): that is how
// such keys are written far more often than as 32 characters of a 256-bit key.
std::optional<QByteArray> parseKey(const QByteArray &text) {
    const qsizetype size = text.size();
    if ((size == 32 || size == 48 || size == 64) && allHex(text))
        return QByteArray::fromHex(text);
    if ((size == 16 || size == 24 || size == 32) && allPrintable(text))
        return text;
    return std::nullopt;
}

} // namespace dc09
