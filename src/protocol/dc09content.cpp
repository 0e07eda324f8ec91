#include "protocol/dc09content.h"

#include "protocol/dc09chars.h"

#include <QTimeZone>

namespace dc09 {

namespace {

constexpr qsizetype timestampSize = 19; // HH:MM:SS,MM-DD-YYYY
constexpr qint64 oldestSeconds = 40;
constexpr qint64 aheadSeconds = 20;

// The extra blocks and the timestamp after the data's "]".
bool parseTail(const QByteArray &tail, Content &content) {
    qsizetype at = 0;
    while (at < tail.size() && tail.at(at) == '[') {
        const qsizetype close = tail.indexOf(']', at);
        if (close < 0)
            return false;
        content.extraBlocks.append(tail.mid(at, close - at + 1));
        at = close + 1;
    }
    if (at == tail.size())
        return true;
    if (tail.at(at) != '_' || tail.size() - at - 1 != timestampSize)
        return false;
    content.timestamp = tail.mid(at + 1);
    return true;
}

// The number written in `digits` digits at `at`; -1 when they are not all digits.
int number(const QByteArray &text, qsizetype at, qsizetype digits) {
    int value = 0;
    for (qsizetype i = at; i < at + digits; ++i) {
        const char c = text.at(i);
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

std::optional<Content> parseClearContent(const QByteArray &content) {
    const qsizetype close = content.indexOf(']');
    if (close < 0 || !allTextBytes(content))
        return std::nullopt;
    Content parsed;
    parsed.data = content.left(close);
    if (parsed.data.contains('[') || !parseTail(content.mid(close + 1), parsed))
        return std::nullopt;
    return parsed;
}

std::optional<Content> parseDecryptedContent(const QByteArray &plain) {
    qsizetype end = 0;
    while (end < plain.size() && plain.at(end) != '|' && plain.at(end) != ']')
        ++end;
    if (end == plain.size() || plain.left(end).contains('['))
        return std::nullopt;
    return parseClearContent(plain.at(end) == '|' ? plain.mid(end + 1) : plain.mid(end));
}

QByteArray timestampText(const QDateTime &utc) {
    return utc.toUTC().toString(QStringLiteral("HH:mm:ss,MM-dd-yyyy")).toLatin1();
}

std::optional<QDateTime> parseTimestamp(const QByteArray &text) {
    if (text.size() != timestampSize || text.at(2) != ':' || text.at(5) != ':' ||
        text.at(8) != ',' || text.at(11) != '-' || text.at(14) != '-')
        return std::nullopt;
    const int year = number(text, 15, 4);
    const QTime time(number(text, 0, 2), number(text, 3, 2), number(text, 6, 2));
    const QDate date(year, number(text, 9, 2), number(text, 12, 2));
    if (year < 0 || !time.isValid() || !date.isValid())
        return std::nullopt;
    return QDateTime(date, time, QTimeZone::utc());
}

bool withinWindow(const QDateTime &messageUtc, const QDateTime &nowUtc) {
    const qint64 age = messageUtc.secsTo(nowUtc);
    return age <= oldestSeconds && age >= -aheadSeconds;
}

} // namespace dc09
