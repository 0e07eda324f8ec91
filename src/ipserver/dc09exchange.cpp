#include "dc09exchange.h"

#include "dc09keys.h"
#include "notedaccounts.h"
#include "receiverhandover.h"
#include "repeatedmessages.h"

#include "accounts/pollsupervision.h"
#include "common/datetimetext.h"
#include "common/logbook.h"
#include "common/steadyclock.h"
#include "metrics/figures.h"
#include "protocol/dc09frame.h"

namespace {

// The account by its number: "#01230" and "#1230" are one panel, however the header writes it.
QByteArray accountOf(const dc09::Receipt &receipt) {
    return QByteArray::number(receipt.frameAccount.number);
}

// The account as the notes name it: in capitals, as DC-09 accounts are hex in either case.
QByteArray noteAccount(const dc09::Receipt &receipt) {
    return receipt.account.toUpper();
}

// The same message again: same account, sequence number and report; for an encrypted one also
// the same protected content (data and timestamp) under any sequence number, since the sequence
// number is in the clear and a captured frame can be sent again with another.
QList<QByteArray> repeatKeys(const dc09::Receipt &receipt) {
    QList<QByteArray> keys{"sequence\0" + accountOf(receipt) + '\0' + receipt.sequence + '\0' +
                           receipt.id + '\0' + receipt.reportContent};
    if (receipt.encrypted)
        keys.append("content\0" + accountOf(receipt) + '\0' + receipt.protectedContent);
    return keys;
}

} // namespace

Dc09Exchange::Dc09Exchange(ReceiverServices services, QByteArray peer, Send send)
    : m_services(services)
    , m_admission(services, std::move(peer))
    , m_send(std::move(send)) {}

bool Dc09Exchange::enabled(const ReceiverServices &services) {
    if (!services.dc09)
        return false;
    return !services.dc09->options || services.dc09->options().enabled;
}

Dc09Options Dc09Exchange::options() const {
    return m_services.dc09 && m_services.dc09->options ? m_services.dc09->options() : Dc09Options{};
}

QByteArray Dc09Exchange::logText(const QByteArray &frame) {
    const qsizetype lf = frame.indexOf('\n');
    QByteArray text = frame.mid(lf + 1);
    if (text.endsWith('\r'))
        text.chop(1);
    if (lf >= 0 && dc09::hasBinaryCrc(frame.mid(lf)))
        text.replace(0, 2, text.left(2).toHex().toUpper());
    return text;
}

// A datagram holds one frame whole: a piece of one is refused, not kept for more.
dc09::Receipt Dc09Exchange::receipt(const QByteArray &bytes, bool datagram) const {
    const Dc09Keys *keys = m_services.dc09 ? m_services.dc09->keys : nullptr;
    const dc09::KeyLookup lookup = [keys](const QByteArray &account) {
        return keys ? keys->accountKey(account) : std::nullopt;
    };
    dc09::Receipt receipt = dc09::receive(bytes, lookup, options().receive, Clock::nowUtc());
    if (receipt.kind != dc09::Receipt::Kind::Incomplete || !datagram)
        return receipt;
    dc09::Receipt refused;
    refused.kind = dc09::Receipt::Kind::Silent;
    refused.consumed = bytes.size();
    refused.frame = bytes;
    refused.rejection = "incomplete frame";
    return refused;
}

// A frame refused or withdrawn is logged, its reply with it, at the receiver's rate of refusal
// lines; one that is taken as ever. Its "IP_logFile.TXT" line is written once that is known.
Dc09Exchange::Outcome Dc09Exchange::handle(const QByteArray &bytes, bool datagram) {
    Outcome outcome{receipt(bytes, datagram)};
    dc09::Receipt &receipt = outcome.receipt;
    if (receipt.kind == dc09::Receipt::Kind::Incomplete)
        return outcome;
    std::optional<Admission::Lookup> lookup;
    if (receipt.kind == dc09::Receipt::Kind::Ack) {
        lookup = m_admission.lookUp(receipt.frameAccount);
        if (datagram)
            refuseUnprovenSender(receipt, *lookup);
        refuseUnknownAccount(receipt, *lookup);
        if (const std::optional<QByteArray> own = m_admission.receiverAccount(lookup->account))
            refuse(receipt, *own + ": not queued");
    }
    const QByteArray text = logText(receipt.frame);
    // A datagram's sender may be forged: an answer larger than the question would make this
    // receiver an amplifier aimed at the forged address.
    const bool mayAnswer = !datagram || receipt.reply.size() <= bytes.size();
    const bool answers = !receipt.reply.isEmpty() && mayAnswer;
    const bool taken = receipt.kind == dc09::Receipt::Kind::Ack;
    const QByteArray refusal = taken ? withdrawal(*lookup) : receipt.rejection;
    const bool refused = !taken || !refusal.isEmpty();
    logFrame(receipt, text, refused ? std::optional<QByteArray>(refusal) : std::nullopt, answers);
    const Decision decision = refused ? Decision::Withdrawn : accept(receipt, *lookup);
    if (receipt.frameAccount.refused())
        m_services.output.errorAccountShown(QString::fromLatin1(receipt.frameAccount.field));
    if (receipt.kind != dc09::Receipt::Kind::Ack)
        figures().refused(dc09Refusal(receipt.rejection, !receipt.reply.isEmpty()));
    if (decision == Decision::NotStored) {
        figures().refused(Refusal::NotStored);
        return outcome; // no reply: the panel sends it again
    }
    if (answers && !sendReply(receipt.reply, !refused)) {
        outcome.sendFailed = true;
        return outcome;
    }
    countReply(receipt, decision == Decision::Kept, datagram, mayAnswer);
    if (decision == Decision::Kept)
        m_services.output.watchdogFed();
    else
        m_services.output.dataShown(text);
    return outcome;
}

// The frame's line, the notes on its panel's habits and, for a refused frame, its reason and its
// reply: a refused frame's lines all at the refusals' rate, or none of them.
void Dc09Exchange::logFrame(const dc09::Receipt &receipt, const QByteArray &text,
                            const std::optional<QByteArray> &refusal, bool answered) {
    QList<RefusalLog::Line> lines{{LogBook::IpLog, " -- ", text}};
    if (receipt.noLineNumber)
        noteNoLineNumber(receipt.account, text, lines);
    if (receipt.otherKeyReading)
        noteOtherKeyReading(receipt.account, text, lines);
    if (receipt.binaryCrc)
        noteBinaryCrc(noteAccount(receipt), text, lines);
    if (!refusal) {
        for (const RefusalLog::Line &line : lines)
            m_services.logs.appendStamped(line.file, line.text);
        return;
    }
    lines.append(Admission::refusalLine(*refusal, text));
    if (answered)
        lines.append({LogBook::AckLog, " IP -- ", logText(receipt.reply)});
    m_admission.logRefusal(lines);
}

// A datagram's source address can be forged: for an account bound to its NUA / IP only the key
// proves the sender, and a clear frame (an account with a key takes no other) proves nothing.
void Dc09Exchange::refuseUnprovenSender(dc09::Receipt &receipt,
                                        const Admission::Lookup &lookup) const {
    if (receipt.kind != dc09::Receipt::Kind::Ack || receipt.encrypted)
        return;
    if (!lookup.record || !(lookup.record->optionBits & AccountRecord::MatchNuaIp))
        return;
    refuse(receipt, "sent over UDP, which cannot prove its sender, for account " +
                        receipt.frameAccount.text +
                        ", which is bound to its NUA / IP and has no DC-09 key: not queued, not "
                        "taken as its poll");
}

// With "Known accounts only", a report from an account nobody configured gets "DUH". A link
// test carries no report: it is answered as a poll from an unknown account is.
void Dc09Exchange::refuseUnknownAccount(dc09::Receipt &receipt,
                                        const Admission::Lookup &lookup) const {
    if (receipt.kind != dc09::Receipt::Kind::Ack || receipt.messages.isEmpty())
        return;
    if (const std::optional<QByteArray> unknown = m_admission.unknownAccount(lookup))
        refuse(receipt, *unknown + ": not queued");
}

void Dc09Exchange::refuse(dc09::Receipt &receipt, const QByteArray &rejection) {
    receipt.kind = dc09::Receipt::Kind::Duh;
    receipt.reply = receipt.refusalReply;
    receipt.messages.clear();
    receipt.rejection = rejection;
}

// A frame from another address than a bound account's is answered, but neither queued nor
// counted as the panel's poll: anyone can send it. The reason, or empty when it is taken.
QByteArray Dc09Exchange::withdrawal(const Admission::Lookup &lookup) const {
    if (m_admission.admits(lookup.record))
        return {};
    return "sent from " + m_admission.peer() +
           ", not from the account's NUA / IP: not taken as its poll, not queued";
}

Dc09Exchange::Decision Dc09Exchange::accept(const dc09::Receipt &receipt,
                                            const Admission::Lookup &lookup) {
    const quint64 stored = m_admission.storedMark();
    // No status byte in DC-09: the unarmed delay.
    if (lookup.record)
        m_services.polls.PollReceived(lookup.record->accNum, 0, m_admission.peer());
    // A restore line it stored is on the disk before the reply, as a report is.
    const bool storedLine = m_admission.storedMark() != stored;
    if (storedLine && !m_admission.storedDurably())
        return Decision::NotStored;
    if (!receipt.messages.isEmpty() && !queueOnce(receipt))
        return Decision::NotStored;
    return Decision::Kept;
}

// A repeat is answered only once its first copy is on the disk (waiting for that copy's flush if
// need be), and not at all while that copy is still being written or when it could not be
// stored: the panel then sends it again. A copy that is queued but whose flush failed keeps its
// claim: the journal writes it with the queues once it can, and the resend is then answered as
// a repeat; stored again, it would be delivered twice. Only texts not all written give it back.
bool Dc09Exchange::queueOnce(const dc09::Receipt &receipt) {
    RepeatedMessages *repeated = m_services.dc09 ? m_services.dc09->repeated : nullptr;
    if (!repeated) {
        const std::optional<quint64> ticket = storeAll(receipt.messages);
        return ticket && m_admission.durable(*ticket);
    }
    const RepeatedMessages::Seen seen =
        repeated->repeatOrClaim(repeatKeys(receipt), steadyNowMs(), !receipt.encrypted);
    const std::optional<quint64> ticket =
        seen.repeat ? seen.ticket : storeAll(receipt.messages, seen.claim);
    if (!ticket && !seen.repeat)
        repeated->release(seen.claim);
    // The claim is kept across a restart only once its message is on the disk: the round's
    // flush may come after this frame's reply is made (and held).
    const quint64 claim = seen.claim;
    return ticket && m_admission.durable(*ticket, [repeated, claim](bool stored) {
        if (stored)
            repeated->settle(claim);
    });
}

// Writes every text; the last one's ticket, or none when a text could not be written. The
// claim, when given, learns the ticket.
std::optional<quint64> Dc09Exchange::storeAll(const QList<QByteArray> &messages,
                                              std::optional<quint64> claim) {
    std::optional<quint64> ticket = 0;
    for (const QByteArray &message : messages) {
        ticket = m_admission.write(message);
        if (!ticket)
            return std::nullopt;
    }
    RepeatedMessages *repeated = m_services.dc09 ? m_services.dc09->repeated : nullptr;
    if (claim && repeated)
        repeated->written(*claim, *ticket);
    return ticket;
}

// A panel without a line number is answered, but its installer should give it one: said once
// per account, not with every frame.
void Dc09Exchange::noteNoLineNumber(const QByteArray &account, const QByteArray &text,
                                    QList<RefusalLog::Line> &lines) {
    NotedAccounts *noted = m_services.dc09 ? m_services.dc09->withoutLineNumber : nullptr;
    if (noted && !noted->first(account))
        return;
    const QByteArray note =
        "[the panel of account " + account + " sends no line number; taken as line 0] ";
    lines.append({LogBook::ConversionLog, " -- ", note + text});
}

// The reading is said once per account while the key file stays the same; never the key.
void Dc09Exchange::noteOtherKeyReading(const QByteArray &account, const QByteArray &text,
                                       QList<RefusalLog::Line> &lines) {
    const Dc09Keys *keys = m_services.dc09 ? m_services.dc09->keys : nullptr;
    if (keys && !keys->firstOtherReading(account))
        return;
    const QByteArray note = "[the panel of account " + account +
                            " uses its key of 32 hex digits as 32 characters (AES-256); write "
                            "it with \"text:\" before it to say so] ";
    lines.append({LogBook::ConversionLog, " -- ", note + text});
}

// Taken and answered in the same form; said once per account, not with every frame.
void Dc09Exchange::noteBinaryCrc(const QByteArray &account, const QByteArray &text,
                                 QList<RefusalLog::Line> &lines) {
    NotedAccounts *noted = m_services.dc09 ? m_services.dc09->binaryCrc : nullptr;
    if (noted && !noted->first(account))
        return;
    const QByteArray note = "[the panel of account " + account +
                            " sends its CRC as two binary bytes; answered in the same form] ";
    lines.append({LogBook::ConversionLog, " -- ", note + text});
}

void Dc09Exchange::countReply(const dc09::Receipt &receipt, bool kept, bool datagram,
                              bool answered) {
    using Kind = dc09::Receipt::Kind;
    // A datagram's answer held back is no reply.
    const bool replied =
        receipt.kind == Kind::Ack || receipt.kind == Kind::Nak || receipt.kind == Kind::Duh;
    if (answered && replied)
        figures().replied(receipt.kind == Kind::Ack   ? Reply::Ack
                          : receipt.kind == Kind::Nak ? Reply::Nak
                                                      : Reply::Duh);
    if (kept && !receipt.messages.isEmpty())
        figures().received(datagram ? Input::Udp : Input::Tcp);
}

// A refused frame's reply was logged with its other lines.
bool Dc09Exchange::sendReply(const QByteArray &reply, bool logged) {
    if (logged && m_services.logs.saveEnabled())
        m_services.logs.Append_Message(LogBook::AckLog,
                                       nowText().toLocal8Bit() + " IP -- " + logText(reply));
    return m_send(reply);
}
