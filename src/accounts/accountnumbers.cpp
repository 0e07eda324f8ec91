#include "accountnumbers.h"

namespace {

constexpr quint32 codeBase = 1000000;
constexpr quint32 radix = 36;
constexpr quint32 largestSignedInt = 2147483647;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char base36Digit(quint32 value) {
    return value < 10 ? char('0' + value) : char('A' + (value - 10));
}

// A text of digits read as a signed 32-bit integer would be: anything larger fails.
std::optional<quint32> decimalValue(const QByteArray &digits) {
    quint64 value = 0;
    for (char c : digits) {
        value = value * 10 + quint64(c - '0');
        if (value > largestSignedInt)
            return std::nullopt;
    }
    return quint32(value);
}

// Letters and anything else are worth their character code minus 55 ("A" is 10); the sum wraps
// modulo 2^32, so stray characters give a number, never a failure.
quint32 codeValue(const QByteArray &text) {
    quint32 value = 0;
    for (char c : text) {
        const quint32 worth = isDigit(c) ? quint32(c - '0') : quint32(quint8(c)) - 55u;
        value = value * radix + worth;
    }
    return value + codeBase;
}

} // namespace

std::optional<quint32> NumericalAccNum(const QByteArray &text) {
    if (IsStrNumeric(text))
        return decimalValue(text);
    return codeValue(text);
}

QByteArray AccNumString(quint32 number) {
    if (number < codeBase)
        return QByteArray::number(number);
    quint32 rest = number - codeBase;
    QByteArray text;
    do {
        text.prepend(base36Digit(rest % radix));
        rest /= radix;
    } while (rest != 0);
    return text;
}

// A longer account is never cut: its first four characters are another panel's account.
QByteArray AccountToStg(quint32 number) {
    const QByteArray text = AccNumString(number);
    if (text.size() < 4)
        return QByteArray(4 - text.size(), '0') + text;
    return text;
}

bool IsStrNumeric(const QByteArray &text) {
    for (char c : text) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

QString cleanAccountEntry(const QString &typed) {
    // Only ASCII letters count: any other letter would turn into a meaningless base-36 worth.
    constexpr qsizetype lastPosition = 6;
    QString cleaned;
    cleaned.reserve(typed.size());
    for (qsizetype i = 0; i < typed.size(); ++i) {
        const char16_t c = typed.at(i).unicode();
        const bool digit = c >= u'0' && c <= u'9';
        const bool upper = c >= u'A' && c <= u'Z';
        const bool lower = c >= u'a' && c <= u'z';
        if (!digit && !upper && !lower)
            continue;
        if (i + 1 == lastPosition && !digit)
            continue;
        cleaned.append(lower ? QChar(char16_t(c - u'a' + u'A')) : QChar(c));
    }
    return cleaned;
}
