#include "protocol/ipinput.h"

#include "protocol/bytepositions.h"

using namespace protocol::detail;

namespace ipinput {

namespace {

bool isDigitOrCapital(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
}

// A byte of the data by 0-based index; bytes that were not received read as the zeros of the
// read buffer, never past the received data.
char dataByte(const QByteArray &data, qsizetype index) {
    return index >= 0 && index < data.size() ? data.at(index) : '\0';
}

// Worth of a Contact ID digit: 0x30-0x3F and "A"-"F" count, a worth of 0 counts as 10.
std::optional<int> contactIdWorth(char c) {
    int worth = -1;
    if (c >= 0x30 && c <= 0x3F)
        worth = c - 0x30;
    else if (c >= 'A' && c <= 'F')
        worth = c - 'A' + 10;
    if (worth < 0)
        return std::nullopt;
    return worth == 0 ? 10 : worth;
}

} // namespace

QByteArray withoutPlusPrefix(const QByteArray &received) {
    return received.startsWith("+++") ? received.mid(3) : received;
}

QByteArray messageText(const QByteArray &data) {
    const qsizetype zero = data.indexOf('\0');
    return zero < 0 ? data : data.left(zero);
}

QByteArray cutAtFirstCr(const QByteArray &message) {
    const qsizetype cr = message.indexOf('\r');
    if (message.size() <= 2 || cr < 0)
        return message;
    QByteArray cut = message;
    return cut.remove(cr, 10);
}

PollText recognisePoll(const QByteArray &message, const QByteArray &data) {
    PollText poll;
    poll.message = message;
    const qsizetype p = positionOf(message, "POLL") + 4;
    if (p == 4)
        return poll;
    if (p > message.size() || !isDigitOrCapital(message.at(p - 1))) {
        poll.kind = PollText::Kind::Clear;
        return poll;
    }
    poll.kind = PollText::Kind::Supervised;
    const qsizetype h = positionOf(message, "#");
    for (qsizetype i = p; i <= h; ++i) {
        char &c = poll.message[i - 1];
        if (c != '#' && !isDigitOrCapital(c))
            c = '0';
    }
    // The byte after the "#" as the data holds it; a "#" that ends the data has none.
    poll.status = dataByte(data, h);
    return poll;
}

std::optional<qsizetype> contactIdLength(const QByteArray &data) {
    quint8 sum = 0;
    qsizetype n = 1;
    while (n < data.size()) {
        const std::optional<int> worth = contactIdWorth(data.at(n));
        if (!worth)
            break;
        sum = quint8(sum + *worth);
        ++n;
    }
    if (sum == 0 || sum % 15 != 0)
        return std::nullopt;
    return n;
}

std::optional<ReportText> recogniseReport(const QByteArray &message, const QByteArray &data) {
    switch (dataByte(data, 0)) {
    case '2': {
        const std::optional<qsizetype> n = contactIdLength(data);
        if (!n)
            return std::nullopt;
        return ReportText{'2', message.left(*n)};
    }
    case '1':
        if (message.size() < 11)
            return std::nullopt;
        return ReportText{'1', message};
    case '3':
    case '9':
        return ReportText{dataByte(data, 0), message};
    default:
        return std::nullopt;
    }
}

} // namespace ipinput
