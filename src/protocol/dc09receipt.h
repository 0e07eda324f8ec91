#pragma once

#include "protocol/messageaccount.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <functional>
#include <optional>

// What the receiver makes of one DC-09 frame from a panel: the reply, the text to queue, and why a
// frame was refused. Pure: the transport (TCP stream or UDP datagram), the key file, the account
// decision, the store and the logs are the caller's.
namespace dc09 {

struct ReceiveOptions {
    bool acceptClear = true;     // false: a clear (unencrypted) message is answered "DUH"
    bool checkClearTime = false; // true: a clear message's timestamp (if any) is checked too
};

// An account's key: 16, 24 or 32 raw bytes. A key written as 32 hex digits may be meant as those
// 32 characters (a 256-bit key) by a panel: that reading is kept beside it, tried when the first
// does not decrypt.
struct AccountKey {
    AccountKey(QByteArray key, QByteArray otherReading = {})
        : key(std::move(key))
        , otherReading(std::move(otherReading)) {}

    QByteArray key;
    QByteArray otherReading; // empty when the key reads one way only
};

// The key for an account, as the panel sends it after "#", or none. An account with a key takes
// encrypted messages only.
using KeyLookup = std::function<std::optional<AccountKey>(const QByteArray &account)>;

struct Receipt {
    enum class Kind {
        Incomplete, // no CR yet: wait for more bytes (TCP); a datagram in this state is refused
        Silent,     // refused without an answer (CRC, length, framing): the panel sends it again
        Ack,        // accepted: "ACK" or "*ACK"
        Nak,        // encrypted (or checked clear) message outside the time window
        Duh,        // well-formed but cannot be handled (unknown ID, no key, clear refused, ...)
    };
    Kind kind = Kind::Incomplete;
    qsizetype consumed = 0; // bytes of the input this receipt used up (from its start)
    QByteArray frame;       // the consumed frame bytes as received, for "IP_logFile.TXT"
    QByteArray reply;       // the bytes to send back (LF ... CR); empty when silent/incomplete
    // The "DUH" for a well-formed frame, should the receiver refuse it after all for a reason of
    // its own (an account rule these rules do not know); empty for a frame not well-formed.
    QByteArray refusalReply;
    QByteArray rejection; // the reason for "IP_EXPlog.TXT"; empty when accepted. Never a key.
    QByteArray id;        // "SIA-DCS", "ADM-CID", "NULL", ... without the "*"
    bool encrypted = false;
    QByteArray sequence; // the 4 digits
    QByteArray account;  // as sent after "#"
    // The account as every rule sees it: the header's, which the texts queued carry too.
    MessageAccount frameAccount;
    bool noLineNumber = false;    // the header had no "L": taken as line 0
    bool binaryCrc = false;       // its CRC came as two bytes: every reply carries its CRC so too
    bool otherKeyReading = false; // decrypted with the other reading of the account's key
    // Encrypted messages: what the encryption protects, without its pad (data, extra blocks,
    // timestamp); the same in every copy of one message, whatever its clear header says.
    QByteArray protectedContent;
    // What the message reports, without the account it may name in its data: the same in every
    // copy of one message however its header and data write the account.
    QByteArray reportContent;
    // Ack only: the texts to queue, in order, as a radio or bare-IP report of the same event is
    // queued ("2..." Contact ID, "3..." SIA); one, or one per event of a long SIA report. None for
    // a NULL (link test).
    QList<QByteArray> messages;
};

// Reads one frame from the start of `bytes` (leading bytes before the LF are skipped and counted
// in `consumed`). `nowUtc` is the receiver's clock, for the time window and the replies' stamps.
// Bytes without any LF are used up as one Silent receipt; a frame whose CR is missing ends at the
// next LF (Silent). "DUH" echoes the sequence, receiver, line and account with "[]", as "ACK"
// does; an encrypted message that does not decrypt with its account's key gets it too. A frame
// whose CRC is not 4 hex digits is checked with its two bytes as the CRC, and answered in kind.
Receipt receive(const QByteArray &bytes, const KeyLookup &keys, const ReceiveOptions &options,
                const QDateTime &nowUtc);

// A key as entered by a person or written in the key file: 32/48/64 hex digits or 16/24/32
// characters, or the same with "hex:" or "text:" before them to say which. 32 hex digits
// without either are read as hex. None when it is neither.
std::optional<QByteArray> parseKey(const QByteArray &text);
// The key with its other reading, when the text reads both ways (32 hex digits without "hex:").
std::optional<AccountKey> parseAccountKey(const QByteArray &text);

} // namespace dc09
