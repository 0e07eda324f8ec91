#include "protocol/dc09convert.h"

#include <QList>

namespace dc09 {

namespace {

constexpr qsizetype maxBlockData = 0x3F;
constexpr qsizetype maxQueuedMessage = 100; // what the decoder reads of a message
// The decoder does not read a block's check character; a printable one keeps the queued text
// whole in the logs and lists that show it.
constexpr char blockCheck = ' ';

Conversion refused(const char *reason) {
    return Conversion{{}, reason};
}

// The report part of the data and its account: "#acct|rest", or the rest alone with the account
// of the frame's header. An account inside that differs from the header's is refused, because
// the header's account chose the key.
bool splitAccount(const QByteArray &data, const QByteArray &headerAccount, QByteArray &account,
                  QByteArray &rest) {
    account = headerAccount;
    rest = data;
    if (!data.startsWith('#'))
        return true;
    const qsizetype bar = data.indexOf('|');
    account = data.mid(1, bar < 0 ? -1 : bar - 1);
    rest = bar < 0 ? QByteArray() : data.mid(bar + 1);
    return account == headerAccount;
}

bool isContactIdDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

bool allDigits(const QByteArray &text) {
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// The account as 4 to 6 Contact ID digits with the same value (small letters as capitals, a
// short account filled with leading "0", a long one without its leading "0"), or empty when it
// has none.
QByteArray contactIdAccount(const QByteArray &account) {
    QByteArray digits = account.toUpper();
    while (digits.size() > 6 && digits.startsWith('0'))
        digits.remove(0, 1);
    if (digits.size() < 4)
        digits.prepend(QByteArray(4 - digits.size(), '0'));
    for (const char c : digits) {
        if (!isContactIdDigit(c))
            return {};
    }
    return digits.size() <= 6 ? digits : QByteArray();
}

// The digit that makes the 8-bit sum of the digits' worths (0 counts as 10) a non-zero multiple
// of 15, as the receivers check it.
char checkDigit(const QByteArray &digits) {
    quint8 sum = 0;
    for (const char c : digits) {
        const int worth = c <= '9' ? c - '0' : c - 'A' + 10;
        sum = quint8(sum + (worth == 0 ? 10 : worth));
    }
    for (int worth = 1; worth <= 15; ++worth) {
        const quint8 total = quint8(sum + worth);
        if (total != 0 && total % 15 == 0)
            return worth == 10 ? '0' : worth < 10 ? char('0' + worth) : char('A' + worth - 10);
    }
    return '0'; // unreachable for the at most 18 digits of a report
}

QByteArray siaBlock(const QByteArray &functionAndData) {
    const qsizetype length = functionAndData.size() - 1;
    return char(0x40 | length) + functionAndData + blockCheck;
}

// The size of a part as a block: its header and check characters around it.
qsizetype blockSize(const QByteArray &part) {
    return part.size() + 2;
}

bool isText(const QByteArray &part) {
    return part.startsWith('A');
}

// The "|"-parts that carry data, each cut to what one block holds: a trailing "|" or a text
// longer than a block must not cost the panel its alarm.
QList<QByteArray> reportParts(const QByteArray &rest) {
    QList<QByteArray> parts;
    for (const QByteArray &part : rest.split('|')) {
        if (part.size() >= 2)
            parts.append(part.left(maxBlockData + 1));
    }
    return parts;
}

// One group per event: it begins at every part that is not a text, and texts before the first
// event go with that event.
QList<QList<QByteArray>> eventGroups(const QList<QByteArray> &parts) {
    QList<QList<QByteArray>> groups;
    bool hasEvent = false;
    for (const QByteArray &part : parts) {
        const bool event = !isText(part);
        if (groups.isEmpty() || (event && hasEvent)) {
            groups.append(QList<QByteArray>());
            hasEvent = false;
        }
        groups.last().append(part);
        hasEvent = hasEvent || event;
    }
    return groups;
}

// The SIA text of one group: its event whole (an event block always fits beside the account),
// its texts cut to the room the event leaves.
QByteArray siaText(const QByteArray &accountBlock, const QList<QByteArray> &parts) {
    qsizetype eventsLeft = 0;
    for (const QByteArray &part : parts)
        eventsLeft += isText(part) ? 0 : blockSize(part);
    QByteArray message = '3' + accountBlock;
    for (const QByteArray &part : parts) {
        if (!isText(part)) {
            eventsLeft -= blockSize(part);
            message += siaBlock(part);
            continue;
        }
        const qsizetype room = maxQueuedMessage - 1 - message.size() - eventsLeft - 2;
        if (room >= 2)
            message += siaBlock(part.left(room));
    }
    return message + '@';
}

} // namespace

Conversion contactIdFromAdmCid(const QByteArray &data, const QByteArray &headerAccount) {
    QByteArray account;
    QByteArray report;
    if (!splitAccount(data, headerAccount, account, report))
        return refused("account in the data differs from the frame's");
    const QByteArray event = report.mid(1, 3) + report.mid(5, 2) + report.mid(8, 3);
    if (report.size() != 11 || report.at(4) != ' ' || report.at(7) != ' ' ||
        !QByteArray("136").contains(report.at(0)) || !allDigits(event))
        return refused("ADM-CID report not QEEE GG CCC");
    const QByteArray digits = contactIdAccount(account);
    if (digits.isEmpty())
        return refused("account does not fit the Contact ID form");
    // The Contact ID line sends "A" for the digit 0, and every receiver of the text (the
    // decoder's row, its account and the automation line) reads it so: "12AB" would be
    // delivered as account 120B, another panel.
    if (digits.contains('A'))
        return refused("account holds the digit A, which Contact ID sends for 0");
    const QByteArray body = digits + "18" + report.at(0) + event;
    return Conversion{{'2' + body + checkDigit(body)}, {}};
}

Conversion siaFromSiaDcs(const QByteArray &data, const QByteArray &headerAccount) {
    QByteArray account;
    QByteArray rest;
    if (!splitAccount(data, headerAccount, account, rest))
        return refused("account in the data differs from the frame's");
    const QList<QByteArray> parts = reportParts(rest);
    if (parts.isEmpty())
        return refused("SIA report without a block of data");
    // DC-09 accounts are hex in either case; the line carries them as every rule reads them.
    const QByteArray accountBlock = siaBlock('#' + account.toUpper());
    QByteArray whole = '3' + accountBlock;
    for (const QByteArray &part : parts)
        whole += siaBlock(part);
    whole += '@';
    if (whole.size() <= maxQueuedMessage)
        return Conversion{{whole}, {}};
    Conversion conversion;
    for (const QList<QByteArray> &group : eventGroups(parts))
        conversion.messages.append(siaText(accountBlock, group));
    return conversion;
}

} // namespace dc09
