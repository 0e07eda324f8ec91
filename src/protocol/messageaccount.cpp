#include "protocol/messageaccount.h"

#include "accounts/accountnumbers.h"
#include "protocol/automationlines.h"
#include "protocol/bytepositions.h"
#include "protocol/queuedlinetext.h"

using namespace protocol::detail;

namespace {

using Kind = MessageAccount::Kind;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isCapital(char c) {
    return c >= 'A' && c <= 'Z';
}

// Contact ID and Fast Format send hex digits B-F; Contact ID sends its 0 as "A", which the line
// carries as "0" (in Fast Format an "A" would be read as 0 by some and as A by others).
bool isReportHexDigit(char c) {
    return isDigit(c) || (c >= 'B' && c <= 'F');
}

// SIA accounts and the accounts of the lines (poll reports carry alphanumeric codes): digits and
// capitals. A small letter, a blank or a separator would be read differently by different
// readers.
bool isLineAccountChar(char c) {
    return isDigit(c) || isCapital(c);
}

MessageAccount refused(const QByteArray &field, const QByteArray &reason) {
    MessageAccount account;
    account.kind = Kind::Refused;
    account.field = field;
    account.reason = reason;
    return account;
}

// The account `text` (as the line carries it) read from `field`, when every character of the
// field is in the form's alphabet and the text makes an account number.
MessageAccount named(const QByteArray &field, const QByteArray &text, bool (*allowed)(char)) {
    for (const char c : field) {
        if (!allowed(c))
            return refused(field, "account " + field + " holds a character its form does not use");
    }
    const std::optional<quint32> number = NumericalAccNum(text);
    if (!number)
        return refused(field, "account " + field + " is not an account number");
    MessageAccount account;
    account.kind = Kind::Named;
    account.text = text;
    account.number = *number;
    account.field = field;
    return account;
}

MessageAccount contactIdAccount(const QByteArray &message) {
    // The line of a report the decoder cannot read is its header alone: no account in it.
    if (!isValidContactId(message))
        return {};
    const QByteArray field = bytesAt(message, 2, contactIdAccountLength(message));
    return named(field, QByteArray(field).replace('A', '0'),
                 [](char c) { return c == 'A' || isReportHexDigit(c); });
}

MessageAccount fastFormatAccount(const QByteArray &message) {
    const qsizetype length = fastFormatAccountLength(message);
    if (length < 1)
        return {};
    const QByteArray field = bytesAt(message, 2, length);
    return named(field, field, isReportHexDigit);
}

// The line carries the data of every account block, each followed by "|", and other blocks as
// they come: what follows "[#" up to the first "|" is the account only when the first block is
// the account block and its data holds no "|" of its own.
MessageAccount siaAccount(const QByteArray &message) {
    if (!hasPosition(message, 2) || byteIs(message, 2, '@'))
        return {};
    const qsizetype length = static_cast<quint8>(byteAt(message, 2)) & 0x3F;
    if (length == 0)
        return {};
    const QByteArray field = bytesAt(message, 4, length);
    if (!byteIs(message, 3, '#'))
        return refused(bytesAt(message, 3, length + 1), "SIA report whose first block is not "
                                                        "its account block");
    if (field.isEmpty())
        return {};
    return named(field, field, isLineAccountChar);
}

// Between "POLL" and the first "#"; the receiver has turned stray characters there into "0".
MessageAccount pollAccount(const QByteArray &message) {
    const qsizetype p = positionOf(message, "POLL") + 4;
    if (!hasPosition(message, p) || !isLineAccountChar(byteAt(message, p)))
        return {};
    const qsizetype h = positionOf(message, "#");
    const QByteArray field = h > p ? bytesFromTo(message, p, h - 1) : QByteArray();
    return named(field, field, isLineAccountChar);
}

// "5" RR L " 18" account Q EEE GG CCC: the account is what lies between the header and the 9
// characters of the qualifier, event, group and zone. The header alone names none.
MessageAccount contactIdLineAccount(const QByteArray &line) {
    constexpr qsizetype header = 7;
    constexpr qsizetype tail = 9;
    if (line.mid(4, 3) != " 18")
        return refused(line, "a Contact ID line without its header");
    if (line.size() == header)
        return {};
    if (line.size() <= header + tail)
        return refused(line, "a Contact ID line too short for its account");
    const QByteArray field = line.mid(header, line.size() - header - tail);
    return named(field, field, isLineAccountChar);
}

MessageAccount siaLineAccount(const QByteArray &line) {
    if (line.mid(4, 2) != "[#")
        return refused(line, "an SIA line without its account block");
    qsizetype end = line.indexOf('|', 6);
    if (end < 0)
        end = line.indexOf(']', 6);
    if (end < 0)
        return refused(line, "an SIA line without its end");
    if (end == 6)
        return {};
    const QByteArray field = line.mid(6, end - 6);
    return named(field, field, isLineAccountChar);
}

MessageAccount highSpeedLineAccount(const QByteArray &line) {
    const qsizetype blank = line.indexOf(' ', 4);
    if (blank <= 4)
        return refused(line, "a Fast Format line without its account");
    const QByteArray field = line.mid(4, blank - 4);
    return named(field, field, isLineAccountChar);
}

// The account is right-aligned in 10 characters (a longer one fills them and goes on); a blank
// field, as the heartbeat has, names none.
MessageAccount basicLineAccount(const QByteArray &line) {
    constexpr qsizetype fieldStart = 4;
    constexpr qsizetype fieldWidth = 10;
    qsizetype start = fieldStart;
    while (start < line.size() && start < fieldStart + fieldWidth && line.at(start) == ' ')
        ++start;
    if (start == fieldStart + fieldWidth || start == line.size())
        return {};
    const qsizetype blank = line.indexOf(' ', start);
    if (blank < 0)
        return refused(line, "a Basic line without its event");
    const QByteArray field = line.mid(start, blank - start);
    return named(field, field, isLineAccountChar);
}

} // namespace

MessageForm messageForm(const QByteArray &message) {
    switch (message.isEmpty() ? '\0' : message.front()) {
    case '1':
        return MessageForm::FastFormat;
    case '2':
        return MessageForm::ContactId;
    case '3':
        return MessageForm::Sia;
    case '9':
        return MessageForm::Forwarded;
    default:
        break;
    }
    return message.contains("POLL") ? MessageForm::Poll : MessageForm::None;
}

MessageAccount messageAccount(const QByteArray &message) {
    switch (messageForm(message)) {
    case MessageForm::Poll:
        return pollAccount(message);
    case MessageForm::FastFormat:
        return fastFormatAccount(message);
    case MessageForm::ContactId:
        return contactIdAccount(message);
    case MessageForm::Sia:
        return siaAccount(message);
    case MessageForm::Forwarded:
        // The decoder queues these characters of it, control bytes as blanks.
        return automationLineAccount(blankControlBytes(forwardedLine(message)));
    case MessageForm::None:
        break;
    }
    return {};
}

MessageAccount dc09FrameAccount(const QByteArray &headerAccount) {
    const QByteArray text = headerAccount.toUpper();
    MessageAccount account = named(text, text, isLineAccountChar);
    account.field = headerAccount;
    return account;
}

MessageAccount automationLineAccount(const QByteArray &line) {
    switch (line.isEmpty() ? '\0' : line.front()) {
    case '5':
        return contactIdLineAccount(line);
    case 'S':
        return siaLineAccount(line);
    case '8':
        return highSpeedLineAccount(line);
    case '1':
        return basicLineAccount(line);
    default:
        break;
    }
    return {};
}

std::optional<QByteArray> contactIdReadingOf(const QByteArray &accountText) {
    const QByteArray text = accountText.toUpper();
    if (text.size() < 4 || text.size() > 6 || !text.contains('A'))
        return std::nullopt;
    for (const char c : text) {
        if (c != 'A' && !isReportHexDigit(c))
            return std::nullopt;
    }
    return QByteArray(text).replace('A', '0');
}
