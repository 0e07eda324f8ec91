#include "dc09exchange.h"

#include "dc09keys.h"
#include "notedaccounts.h"
#include "receiverhandover.h"
#include "repeatedmessages.h"

#include "accounts/pollsupervision.h"
#include "common/datetimetext.h"
#include "common/logbook.h"
#include "metrics/figures.h"

#include <chrono>

namespace {

qint64 steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The same message again: same account, sequence number and report.
QByteArray repeatKey(const dc09::Receipt &receipt) {
    return receipt.account + '\0' + receipt.sequence + '\0' + receipt.message.value_or("");
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
    QByteArray text = frame.mid(frame.indexOf('\n') + 1);
    if (text.endsWith('\r'))
        text.chop(1);
    return text;
}

// A datagram holds one frame whole: a piece of one is refused, not kept for more.
dc09::Receipt Dc09Exchange::receipt(const QByteArray &bytes, bool datagram) const {
    const Dc09Keys *keys = m_services.dc09 ? m_services.dc09->keys : nullptr;
    const dc09::KeyLookup lookup = [keys](const QByteArray &account) {
        return keys ? keys->key(account) : std::nullopt;
    };
    dc09::Receipt receipt = dc09::receive(bytes, lookup, options().receive, Clock::now().toUTC());
    if (receipt.kind != dc09::Receipt::Kind::Incomplete || !datagram)
        return receipt;
    dc09::Receipt refused;
    refused.kind = dc09::Receipt::Kind::Silent;
    refused.consumed = bytes.size();
    refused.frame = bytes;
    refused.rejection = "incomplete frame";
    return refused;
}

Dc09Exchange::Outcome Dc09Exchange::handle(const QByteArray &bytes, bool datagram) {
    Outcome outcome{receipt(bytes, datagram)};
    const dc09::Receipt &receipt = outcome.receipt;
    if (receipt.kind == dc09::Receipt::Kind::Incomplete)
        return outcome;
    const QByteArray text = logText(receipt.frame);
    m_services.logs.appendStamped(LogBook::IpLog, text);
    if (receipt.noLineNumber)
        noteNoLineNumber(receipt.account, text);
    Decision decision = Decision::Withdrawn;
    if (receipt.kind == dc09::Receipt::Kind::Ack)
        decision = accept(receipt);
    else
        m_services.logs.appendStamped(LogBook::ConversionLog,
                                      "[" + receipt.rejection + "] " + text);
    if (receipt.kind != dc09::Receipt::Kind::Ack)
        figures().refused(dc09Refusal(receipt.rejection, !receipt.reply.isEmpty()));
    if (decision == Decision::NotStored) {
        figures().refused(Refusal::NotStored);
        return outcome; // no reply: the panel sends it again
    }
    if (!receipt.reply.isEmpty() && !sendReply(receipt.reply)) {
        outcome.sendFailed = true;
        return outcome;
    }
    countReply(receipt, decision == Decision::Kept, datagram);
    if (decision == Decision::Kept)
        m_services.output.watchdogFed();
    else
        m_services.output.dataShown(text);
    return outcome;
}

// A text whose account does not read as a number is shown, and taken like an unknown account's.
Dc09Exchange::Decision Dc09Exchange::accept(const dc09::Receipt &receipt) {
    const Admission::Lookup lookup = m_admission.lookUp(receipt.account);
    if (!lookup.converted)
        m_services.output.errorAccountShown(QString::fromLatin1(receipt.account));
    const quint64 stored = m_admission.storedMark();
    // No status byte in DC-09: the unarmed delay.
    if (lookup.record)
        m_services.polls.PollReceived(lookup.record->accNum, 0, m_admission.peer());
    // A restore line it stored is on the disk before the reply, as a report is.
    const bool storedLine = m_admission.storedMark() != stored;
    if (storedLine && !m_admission.storedDurably())
        return Decision::NotStored;
    if (!m_admission.admits(lookup.record))
        return Decision::Withdrawn;
    if (receipt.message && !queueOnce(receipt))
        return Decision::NotStored;
    return Decision::Kept;
}

bool Dc09Exchange::queueOnce(const dc09::Receipt &receipt) {
    RepeatedMessages *repeated = m_services.dc09 ? m_services.dc09->repeated : nullptr;
    const QByteArray key = repeatKey(receipt);
    if (repeated && repeated->repeatOrClaim(key, steadyMs()))
        return true;
    if (m_admission.store(*receipt.message))
        return true;
    if (repeated)
        repeated->release(key);
    return false;
}

// A panel without a line number is answered, but its installer should give it one: said once
// per account, not with every frame.
void Dc09Exchange::noteNoLineNumber(const QByteArray &account, const QByteArray &text) {
    NotedAccounts *noted = m_services.dc09 ? m_services.dc09->withoutLineNumber : nullptr;
    if (noted && !noted->first(account))
        return;
    const QByteArray note =
        "[the panel of account " + account + " sends no line number; taken as line 0] ";
    m_services.logs.appendStamped(LogBook::ConversionLog, note + text);
}

void Dc09Exchange::countReply(const dc09::Receipt &receipt, bool kept, bool datagram) {
    using Kind = dc09::Receipt::Kind;
    if (receipt.kind == Kind::Ack || receipt.kind == Kind::Nak || receipt.kind == Kind::Duh)
        figures().replied(receipt.kind == Kind::Ack   ? Reply::Ack
                          : receipt.kind == Kind::Nak ? Reply::Nak
                                                      : Reply::Duh);
    if (kept && receipt.message)
        figures().received(datagram ? Input::Udp : Input::Tcp);
}

bool Dc09Exchange::sendReply(const QByteArray &reply) {
    if (m_services.logs.saveEnabled())
        m_services.logs.Append_Message(LogBook::AckLog,
                                       nowText().toLocal8Bit() + " IP -- " + logText(reply));
    return m_send(reply);
}
