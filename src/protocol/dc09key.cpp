#include "protocol/dc09chars.h"
#include "protocol/dc09receipt.h"

namespace dc09 {

// 32 characters that are all hex digits are read as 32 hex digits (a 128-bit key): that is how
// such keys are written far more often than as 32 characters of a 256-bit key.
std::optional<QByteArray> parseKey(const QByteArray &text) {
    const qsizetype size = text.size();
    if ((size == 32 || size == 48 || size == 64) && allHexDigits(text))
        return QByteArray::fromHex(text);
    if ((size == 16 || size == 24 || size == 32) && allPrintable(text))
        return text;
    return std::nullopt;
}

} // namespace dc09
