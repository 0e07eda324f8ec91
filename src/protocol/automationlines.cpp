#include "protocol/automationlines.h"

#include "protocol/bytepositions.h"

using namespace protocol::detail;

namespace {

QByteArray contactIdHeader(const LinePrefix &prefix) {
    return QByteArrayLiteral("5") + prefix.rr + prefix.line + QByteArrayLiteral(" 18");
}

QByteArray highSpeedLine(const QByteArray &message, const LinePrefix &prefix, qsizetype a) {
    QByteArray line = QByteArrayLiteral("8") + prefix.rr + prefix.line + bytesAt(message, 2, a);
    line += ' ' + bytesFromTo(message, a + 2, a + 5);
    line += ' ' + bytesFromTo(message, a + 6, a + 9);
    line += ' ';
    if (message.size() < 20) {
        line += bytesAt(message, a + 10, 1);
    } else {
        line += bytesFromTo(message, a + 10, a + 13);
        line += ' ' + bytesFromTo(message, a + 14, a + 17);
        line += ' ' + bytesAt(message, a + 18, 1);
    }
    return line;
}

// The "Basic" event for a channel character, or nothing when the character is not reported.
const char *basicEvent(char channel) {
    switch (channel) {
    case '1':
        return "A  ";
    case '2':
        return "O  ";
    case '3':
        return "R  ";
    case '4':
        return "C  ";
    case '8':
    case '9':
        return "T  ";
    default:
        return nullptr;
    }
}

// Zones count from the message position, so an account shorter than four characters puts its
// first channels below zone 01. The automation software reads a two-digit field: those zones
// are sent as "00" rather than as "0-1" / "0-2", which would shift every byte after them.
QByteArray basicZone(qsizetype position, char channel) {
    const qsizetype zone = position - 5;
    if (zone < 0)
        return QByteArrayLiteral("00");
    if (zone < 10)
        return '0' + QByteArray::number(zone);
    if (channel == '8')
        return QByteArrayLiteral("80");
    if (channel == '9')
        return QByteArrayLiteral("90");
    return QByteArray::number(zone);
}

QList<QByteArray> basicLines(const QByteArray &message, const LinePrefix &prefix, qsizetype a) {
    const QByteArray account = bytesAt(message, 2, a);
    const QByteArray head = QByteArrayLiteral("1") + prefix.rr + prefix.line +
                            QByteArray(qMax<qsizetype>(0, 10 - account.size()), ' ') + account +
                            ' ';
    QList<QByteArray> lines;
    for (qsizetype f = a + 2; f <= message.size(); ++f) {
        const char channel = message.at(f - 1);
        if (const char *event = basicEvent(channel))
            lines.append(head + event + basicZone(f, channel));
    }
    return lines;
}

} // namespace

qsizetype contactIdAccountLength(const QByteArray &message) {
    return message.size() >= 13 ? message.size() - 13 : 0;
}

// A short message carries 8 channels and a status character after the account, a long one (20
// characters or more) 16 channels and the status character.
qsizetype fastFormatAccountLength(const QByteArray &message) {
    return message.size() < 20 ? message.size() - 10 : message.size() - 18;
}

bool isValidContactId(const QByteArray &message) {
    const qsizetype a = contactIdAccountLength(message);
    if (a < 4 || a > 6)
        return false;
    if (!byteIs(message, a + 4, '1') && !byteIs(message, a + 4, '3') &&
        !byteIs(message, a + 4, '6'))
        return false;
    return byteIsDigit(message, a + 5) && byteIsDigit(message, a + 6) &&
           byteIsDigit(message, a + 7);
}

QByteArray contactIdLine(const QByteArray &message, const LinePrefix &prefix) {
    QByteArray line = contactIdHeader(prefix);
    if (!isValidContactId(message))
        return line;
    const qsizetype a = contactIdAccountLength(message);
    line += bytesAt(message, 2, a).replace('A', '0');
    line += byteIs(message, a + 4, '1') ? 'E' : 'R';
    line += bytesFromTo(message, a + 5, a + 12); // event code, group, zone; not the check digit
    return line;
}

QList<QByteArray> fastFormatLines(const QByteArray &message, const LinePrefix &prefix,
                                  OutputFormat format) {
    // Below 11 characters there is no account and no channel to report.
    const qsizetype a = fastFormatAccountLength(message);
    if (a < 1)
        return {};
    switch (format) {
    case OutputFormat::HighSpeed:
        return {highSpeedLine(message, prefix, a)};
    case OutputFormat::Basic:
        return basicLines(message, prefix, a);
    case OutputFormat::None:
        break;
    }
    return {};
}

QByteArray siaLine(const QByteArray &message, const LinePrefix &prefix) {
    QByteArray line = QByteArrayLiteral("S") + prefix.rr + prefix.line + QByteArrayLiteral("[#");
    qsizetype header = 2;
    // A header beyond the end counts as a block of length 0, which ends the chain like "@" does.
    while (header <= message.size() && !byteIs(message, header, '@')) {
        const qsizetype n = static_cast<quint8>(message.at(header - 1)) & 0x3F;
        if (n == 0)
            break;
        const QByteArray functionCode = bytesAt(message, header + 1, 1);
        const QByteArray data = bytesAt(message, header + 2, n);
        const qsizetype next = header + n + 3;
        if (functionCode == "#") {
            line += data + '|';
        } else {
            line += functionCode + data;
            if (!byteIs(message, next, '@'))
                line += '|';
        }
        header = next;
    }
    return line + ']';
}

namespace {

// Poll failure ("E" qualifier, SIA failure code) and restore ("R", SIA restore code) share one
// layout in each of the two forms.
QByteArray pollLine(const QByteArray &acc4, const LinePrefix &prefix, bool reportAsSia,
                    char qualifier, const QByteArray &pollCode, const QByteArray &siaCode) {
    if (reportAsSia)
        return QByteArrayLiteral("S") + prefix.rr + prefix.line + QByteArrayLiteral("[#") + acc4 +
               QByteArrayLiteral("|N") + siaCode + QByteArrayLiteral("000]");
    return contactIdEventLine(prefix, acc4, qualifier == 'R', pollCode, "01", "000");
}

} // namespace

QByteArray contactIdEventLine(const LinePrefix &prefix, const QByteArray &account, bool restore,
                              const QByteArray &code, const QByteArray &group,
                              const QByteArray &zone) {
    return contactIdHeader(prefix) + account + (restore ? 'R' : 'E') + code + group + zone;
}

QByteArray pollFailureLine(const QByteArray &acc4, const LinePrefix &prefix, bool reportAsSia,
                           const QByteArray &pollCode, const QByteArray &siaFailCode) {
    return pollLine(acc4, prefix, reportAsSia, 'E', pollCode, siaFailCode);
}

QByteArray pollRestoreLine(const QByteArray &acc4, const LinePrefix &prefix, bool reportAsSia,
                           const QByteArray &pollCode, const QByteArray &siaRestoreCode) {
    return pollLine(acc4, prefix, reportAsSia, 'R', pollCode, siaRestoreCode);
}

QByteArray forwardedLine(const QByteArray &message) {
    return bytesAt(message, 2, 50);
}
