#include "protocol/dc09receipt.h"

#include "protocol/dc09cipher.h"
#include "protocol/dc09content.h"
#include "protocol/dc09convert.h"
#include "protocol/dc09frame.h"
#include "protocol/dc09reply.h"

namespace dc09 {

namespace {

using Kind = Receipt::Kind;

bool isKnownId(const QByteArray &id) {
    return id == "SIA-DCS" || id == "ADM-CID" || id == "NULL";
}

Receipt &refuse(Receipt &receipt, Kind kind, QByteArray reply, const QByteArray &reason) {
    receipt.kind = kind;
    receipt.reply = std::move(reply);
    receipt.rejection = reason;
    return receipt;
}

// A wrong key gives noise: a readable timestamp at the end says the key was right and the
// fault lies in the data the panel encrypted.
bool endsInTimestamp(const QByteArray &plain) {
    constexpr qsizetype stampSize = 19; // HH:MM:SS,MM-DD-YYYY
    return plain.size() > stampSize && plain.at(plain.size() - stampSize - 1) == '_' &&
           parseTimestamp(plain.right(stampSize)).has_value();
}

// The content of an encrypted message, decrypted with the account's key; none with the reason.
std::optional<Content> decryptedContent(const Header &header, const QByteArray &key,
                                        QByteArray &reason) {
    const QByteArray hex = header.content;
    const QByteArray cipherText = QByteArray::fromHex(hex);
    if (cipherText.toHex() != hex.toLower() || cipherText.isEmpty() ||
        cipherText.size() % 16 != 0) {
        reason = "encrypted part not whole AES blocks in hex";
        return std::nullopt;
    }
    const std::optional<QByteArray> plain = decrypt(key, cipherText);
    std::optional<Content> content = plain ? parseDecryptedContent(*plain) : std::nullopt;
    if (!content)
        reason = plain && endsInTimestamp(*plain)
                     ? "decrypted, but the data is not in the DC-09 layout"
                     : "does not decrypt with the account's key (wrong key or damaged)";
    return content;
}

// NAK when the message's time must be checked and is missing, unreadable or outside the window.
std::optional<QByteArray> timeFault(const Content &content, bool checked, const QDateTime &nowUtc) {
    if (!checked)
        return std::nullopt;
    if (!content.timestamp)
        return QByteArray("no timestamp");
    const std::optional<QDateTime> sent = parseTimestamp(*content.timestamp);
    if (!sent)
        return "unreadable timestamp " + *content.timestamp;
    if (!withinWindow(*sent, nowUtc))
        return "time " + *content.timestamp + " outside the window";
    return std::nullopt;
}

Conversion converted(const Header &header, const Content &content) {
    if (header.id == "SIA-DCS")
        return siaFromSiaDcs(content.data, header.account);
    if (header.id == "ADM-CID")
        return contactIdFromAdmCid(content.data, header.account);
    return Conversion{}; // NULL: a link test, nothing to queue
}

// The data after its "#acct|", when it names its account.
QByteArray withoutAccount(const QByteArray &data) {
    if (!data.startsWith('#'))
        return data;
    const qsizetype bar = data.indexOf('|');
    return bar < 0 ? QByteArray() : data.mid(bar + 1);
}

// The key was chosen by the header's account: every text queued must carry that account, as the
// automation software will read it.
bool carryTheFrameAccount(const QList<QByteArray> &messages, const MessageAccount &frame) {
    for (const QByteArray &message : messages) {
        const MessageAccount carried = messageAccount(message);
        if (!carried.named() || carried.number != frame.number)
            return false;
    }
    return true;
}

// The content of an encrypted message with the account's key, or with its other reading when
// the first does not decrypt; the key that worked goes into `used`.
std::optional<Content> decryptedWithEither(Receipt &receipt, const Header &header,
                                           const AccountKey &key, QByteArray &used,
                                           QByteArray &reason) {
    used = key.key;
    std::optional<Content> content = decryptedContent(header, key.key, reason);
    if (content || key.otherReading.isEmpty())
        return content;
    QByteArray otherReason;
    content = decryptedContent(header, key.otherReading, otherReason);
    if (content) {
        used = key.otherReading;
        receipt.otherKeyReading = true;
    } else if (!otherReason.startsWith("does not decrypt")) {
        reason = otherReason; // that reading is the key: the fault is in the data
    }
    return content;
}

// The rules for a frame whose CRC and length are right. An account with a key takes encrypted
// messages only: a clear one could come from anyone.
Receipt &handle(Receipt &receipt, const Header &header, const KeyLookup &keys,
                const ReceiveOptions &options, const QDateTime &nowUtc) {
    if (!isKnownId(header.id))
        return refuse(receipt, Kind::Duh, duhReply(header), "unknown ID " + header.id);
    if (receipt.frameAccount.refused())
        return refuse(receipt, Kind::Duh, duhReply(header), receipt.frameAccount.reason);
    const std::optional<AccountKey> accountKey = keys ? keys(header.account) : std::nullopt;
    QByteArray key;
    std::optional<Content> content;
    QByteArray reason;
    if (header.encrypted) {
        if (!accountKey)
            return refuse(receipt, Kind::Duh, duhReply(header), "no key for the account");
        content = decryptedWithEither(receipt, header, *accountKey, key, reason);
    } else if (accountKey) {
        return refuse(receipt, Kind::Duh, duhReply(header),
                      "clear message for an account with a key");
    } else if (!options.acceptClear) {
        return refuse(receipt, Kind::Duh, duhReply(header), "clear message refused");
    } else {
        content = parseClearContent(header.content);
        reason = "data not in the DC-09 layout";
    }
    if (!content)
        return refuse(receipt, Kind::Duh, duhReply(header), reason);
    const QByteArray tail =
        ']' + content->extraBlocks.join() + '_' + content->timestamp.value_or(QByteArray());
    if (header.encrypted)
        receipt.protectedContent = content->data + tail;
    receipt.reportContent = withoutAccount(content->data) + tail;
    const bool checkTime = header.encrypted || (options.checkClearTime && content->timestamp);
    if (const std::optional<QByteArray> fault = timeFault(*content, checkTime, nowUtc))
        return refuse(receipt, Kind::Nak, nakReply(nowUtc, header.binaryCrc), *fault);
    const Conversion conversion = converted(header, *content);
    if (!conversion.rejection.isEmpty())
        return refuse(receipt, Kind::Duh, duhReply(header), conversion.rejection);
    if (!carryTheFrameAccount(conversion.messages, receipt.frameAccount))
        return refuse(receipt, Kind::Duh, duhReply(header),
                      "the account its texts carry is not the frame's");
    receipt.messages = conversion.messages;
    receipt.kind = Kind::Ack;
    receipt.reply =
        header.encrypted ? encryptedAckReply(header, key, nowUtc, randomPad()) : ackReply(header);
    return receipt;
}

} // namespace

Receipt receive(const QByteArray &bytes, const KeyLookup &keys, const ReceiveOptions &options,
                const QDateTime &nowUtc) {
    Receipt receipt;
    const FrameScan scan = scanFrame(bytes);
    receipt.consumed = scan.consumed;
    receipt.frame = scan.frame;
    if (scan.status == FrameScan::Status::Incomplete)
        return receipt;
    if (scan.status == FrameScan::Status::Fault)
        return refuse(receipt, Kind::Silent, {}, scan.rejection);
    QByteArray reason;
    const std::optional<QByteArray> body = checkedBody(scan.frame, reason);
    std::optional<Header> header = body ? parseHeader(*body) : std::nullopt;
    if (!header)
        return refuse(receipt, Kind::Silent, {}, body ? "header not in the DC-09 layout" : reason);
    header->binaryCrc = hasBinaryCrc(scan.frame);
    receipt.binaryCrc = header->binaryCrc;
    receipt.id = header->id;
    receipt.encrypted = header->encrypted;
    receipt.sequence = header->sequence;
    receipt.account = header->account;
    receipt.frameAccount = dc09FrameAccount(header->account);
    receipt.refusalReply = duhReply(*header);
    receipt.noLineNumber = !header->line;
    return handle(receipt, *header, keys, options, nowUtc);
}

} // namespace dc09
