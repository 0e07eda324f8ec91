#include "messagedecoder.h"

#include "accounts/accounttable.h"
#include "common/datetimetext.h"
#include "common/logbook.h"
#include "events/eventlistmodel.h"
#include "events/txqueue.h"
#include "protocol/bytepositions.h"
#include "protocol/messageaccount.h"
#include "protocol/queuedlinetext.h"
#include "strings/eventtexts.h"

namespace {

// Positions in these rules count from 1, as the message formats are written; every read is
// checked against the length, because a message may end anywhere.
using protocol::detail::byteAt;
using protocol::detail::bytesAt;
using protocol::detail::hasPosition;

void decodePoll(const QByteArray &source, const QByteArray &message, DecodeResult &result) {
    const qsizetype poll = message.indexOf("POLL") + 1;
    const qsizetype hash = message.indexOf('#') + 1; // 0: none
    const QByteArray account =
        hash > 0 ? bytesAt(message, poll + 4, hash - (poll + 4)) : QByteArray();
    DecodedRow row{EventListKind::Poll, {source, account}};
    // Without a flag character (no "#", or "#" last) there is nothing to show as flags.
    if (hash > 0 && hasPosition(message, hash + 1)) {
        const auto flags = static_cast<unsigned char>(byteAt(message, hash + 1));
        for (unsigned bit = 0x01; bit <= 0x10; bit <<= 1)
            row.cells.append((flags & bit) != 0 ? QByteArrayLiteral("YES")
                                                : QByteArrayLiteral("NO"));
    }
    result.rows.append(row);
}

void decodeFastFormat(const QByteArray &source, const QByteArray &message,
                      const DecoderSettings &settings, DecodeResult &result) {
    const qsizetype length = message.size();
    const qsizetype accountLength = fastFormatAccountLength(message);
    // Under 11 bytes there is no account and no channel: the row shows an empty account.
    const QByteArray account = bytesAt(message, 2, accountLength);
    DecodedRow row{EventListKind::FastFormat, {source, account}};
    for (qsizetype position = accountLength + 2; accountLength >= 1 && position <= length;
         ++position) {
        if (length < 20 && position == length)
            row.cells.append(QList<QByteArray>(8, QByteArrayLiteral(" "))); // channels 9 to 16
        row.cells.append(QByteArray(1, byteAt(message, position)));
    }
    result.rows.append(row);
    const QList<QByteArray> lines = fastFormatLines(message, settings.prefix, settings.format);
    result.lines += lines;
    result.loggedLines += lines;
    result.reloadAttempts = true;
}

void decodeContactId(const QByteArray &source, const QByteArray &message,
                     const DecoderSettings &settings, const EventTexts &texts,
                     DecodeResult &result) {
    DecodedRow row{EventListKind::ContactId, {source}};
    if (isValidContactId(message)) {
        const qsizetype accountLength = message.size() - 13;
        QByteArray account = bytesAt(message, 2, accountLength);
        account.replace('A', '0');
        const char qualifier = byteAt(message, accountLength + 4);
        const int code = bytesAt(message, accountLength + 5, 3).toInt();
        row.cells << account
                  << (qualifier == '1' ? QByteArrayLiteral("New") : QByteArrayLiteral("Res"))
                  << texts.ContactIDText(code) << bytesAt(message, accountLength + 8, 2)
                  << bytesAt(message, accountLength + 10, 3);
    } else {
        row.cells += QList<QByteArray>(5, QByteArray());
    }
    result.rows.append(row);
    const QByteArray line = contactIdLine(message, settings.prefix);
    result.lines.append(line);
    result.loggedLines.append(line);
    result.reloadAttempts = true;
}

// The event code after an area of digits and at most one "/", as panels send it
// ("Nri1/BA01", "Nri12/BA01"); `block` starts with its function code and "ri".
QByteArray siaCodeAfterArea(const QByteArray &block) {
    qsizetype position = 3;
    while (position < block.size() && block.at(position) >= '0' && block.at(position) <= '9')
        ++position;
    if (position < block.size() && block.at(position) == '/')
        ++position;
    return block.mid(position, 2);
}

// The event column of the first data block: the block text, and " : " + the SIA text when the
// event code (after an "ri" area, if there is one) has one. The code is first read at its fixed
// place, one area character after "ri"; only when that finds no text is the area skipped as
// digits and at most one "/", so a block that finds a text at the fixed place keeps it.
QByteArray siaEventColumn(const QByteArray &block, const EventTexts &texts) {
    const bool area = block.mid(1, 2) == "ri";
    QByteArray text = texts.findSiaText(area ? block.mid(4, 2) : block.mid(1, 2));
    if (text.isEmpty() && area)
        text = texts.findSiaText(siaCodeAfterArea(block));
    return text.isEmpty() ? block : block + " : " + text;
}

// Walks the block chain from position 2: header (length = code AND 0x3F), function code, data,
// check character. A header past the end counts as a header of length 0.
void decodeSia(const QByteArray &source, const QByteArray &message, const DecoderSettings &settings,
               const EventTexts &texts, DecodeResult &result) {
    DecodedRow row{EventListKind::Sia, {source}};
    bool eventSeen = false;
    QByteArray collected; // data of the blocks between the event block and the last one
    for (qsizetype header = 2;;) {
        if (hasPosition(message, header) && byteAt(message, header) == '@')
            break;
        const qsizetype length = hasPosition(message, header)
                                     ? (static_cast<unsigned char>(byteAt(message, header)) & 0x3F)
                                     : 0;
        if (length == 0) {
            row.cells << QByteArray() << QByteArray();
            break;
        }
        const QByteArray block = bytesAt(message, header + 1, length + 1); // function code + data
        const QByteArray data = block.mid(1);
        const qsizetype next = header + length + 3;
        const bool last = hasPosition(message, next) && byteAt(message, next) == '@';
        if (block.startsWith('#')) {
            row.cells.append(data);
        } else {
            if (!eventSeen)
                row.cells.append(siaEventColumn(block, texts));
            else if (last)
                row.cells.append(collected.isEmpty() ? data : collected + ' ' + data);
            else
                collected += ' ' + data;
            eventSeen = true;
            result.reloadAttempts = true;
        }
        header = next;
    }
    result.rows.append(row);
    const QByteArray line = siaLine(message, settings.prefix);
    result.lines.append(line);
    result.loggedLines.append(line);
}

} // namespace

DecodeResult decodeMessage(const QByteArray &source, const QByteArray &message,
                           const DecoderSettings &settings, const EventTexts &texts) {
    DecodeResult result;
    switch (messageForm(message)) {
    case MessageForm::Poll:
        decodePoll(source, message, result);
        break;
    case MessageForm::FastFormat:
        decodeFastFormat(source, message, settings, result);
        break;
    case MessageForm::ContactId:
        decodeContactId(source, message, settings, texts, result);
        break;
    case MessageForm::Sia:
        decodeSia(source, message, settings, texts, result);
        break;
    case MessageForm::Forwarded: {
        const QByteArray line = forwardedLine(message); // passed on, not logged
        if (!line.isEmpty())
            result.lines.append(line);
        result.reloadAttempts = true;
        break;
    }
    case MessageForm::None:
        break;
    }
    // The account the lines carry, as the receivers read it before they took the message.
    const MessageAccount account = messageAccount(message);
    if (account.named())
        result.decodedAccount = account.number;
    // A field of the message may hold any byte; the log shows each line as it is queued.
    for (QByteArray &line : result.lines)
        line = blankControlBytes(line);
    for (QByteArray &line : result.loggedLines)
        line = blankControlBytes(line);
    return result;
}

MessageDecoder::MessageDecoder(EventLists &lists, TxQueue &txQueue, LogBook &logs,
                               AccountTable &accounts, const EventTexts &texts, Hooks hooks)
    : m_lists(lists)
    , m_txQueue(txQueue)
    , m_logs(logs)
    , m_accounts(accounts)
    , m_texts(texts)
    , m_hooks(std::move(hooks)) {}

EventListModel &MessageDecoder::list(EventListKind kind) const {
    switch (kind) {
    case EventListKind::Poll:
        return m_lists.poll;
    case EventListKind::FastFormat:
        return m_lists.fast;
    case EventListKind::ContactId:
        return m_lists.contactId;
    case EventListKind::Sia:
        break;
    }
    return m_lists.sia;
}

void MessageDecoder::Process_data(const QByteArray &source, const QByteArray &message) {
    const DecoderSettings settings = m_hooks.settings ? m_hooks.settings() : DecoderSettings();
    const DecodeResult result = decodeMessage(source, message, settings, m_texts);
    const QString caption = nowText();
    for (const DecodedRow &row : result.rows)
        list(row.list).addRow(caption, row.cells);
    for (const QByteArray &line : result.lines)
        m_txQueue.append(line);
    for (const QByteArray &line : result.loggedLines)
        m_logs.appendStamped(LogBook::TxLog, line);
    if (result.reloadAttempts && m_hooks.reloadAttemptsIfIdle)
        m_hooks.reloadAttemptsIfIdle();
    if (result.decodedAccount) {
        // An account that is not polled here is simply not updated. The look-up also shows the
        // account in the Coms Setup window's "Account" field.
        if (m_accounts.Find_Account(*result.decodedAccount))
            m_accounts.setLastNuaIp(*result.decodedAccount, source);
    }
}
