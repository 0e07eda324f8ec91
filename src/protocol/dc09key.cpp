#include "protocol/dc09chars.h"
#include "protocol/dc09receipt.h"

namespace dc09 {

namespace {

const QByteArray hexForm = QByteArrayLiteral("hex:");
const QByteArray textForm = QByteArrayLiteral("text:");

std::optional<QByteArray> hexKey(const QByteArray &digits) {
    const qsizetype size = digits.size();
    if ((size == 32 || size == 48 || size == 64) && allHexDigits(digits))
        return QByteArray::fromHex(digits);
    return std::nullopt;
}

std::optional<QByteArray> textKey(const QByteArray &characters) {
    const qsizetype size = characters.size();
    if ((size == 16 || size == 24 || size == 32) && allPrintable(characters))
        return characters;
    return std::nullopt;
}

} // namespace

// 32 characters that are all hex digits are read as 32 hex digits (a 128-bit key): that is how
// such keys are written far more often than as 32 characters of a 256-bit key, and the files
// written so far mean it so.
// A form named before the key decides; a text that only happens to begin like one (a key of
// characters written before the forms existed) keeps its old reading.
std::optional<QByteArray> parseKey(const QByteArray &text) {
    std::optional<QByteArray> key;
    if (text.startsWith(hexForm))
        key = hexKey(text.mid(hexForm.size()));
    else if (text.startsWith(textForm))
        key = textKey(text.mid(textForm.size()));
    if (!key)
        key = hexKey(text);
    return key ? key : textKey(text);
}

std::optional<AccountKey> parseAccountKey(const QByteArray &text) {
    const std::optional<QByteArray> key = parseKey(text);
    if (!key)
        return std::nullopt;
    const bool ambiguous = text.size() == 32 && allHexDigits(text);
    return AccountKey{*key, ambiguous ? text : QByteArray()};
}

} // namespace dc09
