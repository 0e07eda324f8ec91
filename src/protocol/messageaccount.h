#pragma once

#include <QByteArray>
#include <optional>

// Whose message is it. The account of a message is read here only, in the form the automation
// software reads it from the line or lines the message becomes; every rule that depends on the
// account (the look-up, a key that makes an account encrypted-only, "Match NUA / IP", the repeat
// memory, the decoder's account update) is applied to this reading. Two readings of one field
// would let a forged report pass a rule under one account and be delivered under another.

// What a queued message is, by its first byte: a report digit makes it a report whatever else
// it holds, so "POLL" inside a report's text is text. Any other message holding "POLL" is a poll.
enum class MessageForm { None, Poll, FastFormat, ContactId, Sia, Forwarded };
MessageForm messageForm(const QByteArray &message);

struct MessageAccount {
    enum class Kind {
        None,    // the line names no account (a heartbeat, a Contact ID report whose line is
                 // its header alone, an SIA report without blocks)
        Named,   // `text` and `number`
        Refused, // the account field holds what the form does not allow: taken nowhere
    };
    Kind kind = Kind::None;
    QByteArray text;    // as the line carries it (Contact ID's "A" as "0")
    quint32 number = 0; // the account table's number for it
    QByteArray field;   // the field as received, for the operator ("Account" label, logs)
    QByteArray reason;  // why it is refused

    bool named() const { return kind == Kind::Named; }
    bool refused() const { return kind == Kind::Refused; }
};

// The account of a message as it is queued (format digit first, after the receiver's cuts):
// - Contact ID ("2"): digits, "B"-"F", and "A" read as 0, in a report the decoder takes as valid;
// - Fast Format ("1"): digits and "B"-"F", as long as the message's length makes it;
// - SIA ("3"): the data of the first block, which must be the account block: digits and
//   capitals;
// - a poll: the text between "POLL" and the first "#" (empty: account 0);
// - a forwarded line ("9"): the account of the automation line it carries, read in its layout
//   (digits and capitals: poll reports carry alphanumeric accounts).
MessageAccount messageAccount(const QByteArray &message);

// The account a DC-09 frame's header names after "#": hex digits a panel may send in either
// case, taken in capitals (digits and capitals allowed, as in an SIA account block).
MessageAccount dc09FrameAccount(const QByteArray &headerAccount);

// The account of one automation line, as the automation software reads it: the Contact ID form
// ("5" RR L " 18" account Q EEE GG CCC), SIA ("S" RR L "[#" account "|" ...), "High Speed"
// ("8" RR L account " " ...) and "Basic" ("1" RR L and the account right-aligned in 10
// characters). A line in none of these layouts, or with a blank account field, names none.
MessageAccount automationLineAccount(const QByteArray &line);

// An account written with the letter "A" in the form of a Contact ID account (4 to 6 hex digits,
// "123A") gives the account its panel's Contact ID reports carry ("1230", Contact ID sending its
// 0 as "A"), which is another account: none for any other text.
std::optional<QByteArray> contactIdReadingOf(const QByteArray &accountText);
