#include "panelcycle.h"

#include "receiverhandover.h"

#include "accounts/accounttable.h"
#include "accounts/pollsupervision.h"
#include "common/datetimetext.h"
#include "common/logbook.h"
#include "metrics/figures.h"
#include "protocol/ipinput.h"
#include "protocol/messageaccount.h"

#include <utility>

using namespace ipinput;

PanelCycle::PanelCycle(ReceiverServices services, QByteArray peer, Link link)
    : m_services(services)
    , m_peer(std::move(peer))
    , m_admission(services, m_peer)
    , m_link(std::move(link)) {}

// The read's "IP_logFile.TXT" line is written once its fate is known: at its first reply, or
// after the rules when it gets none.
bool PanelCycle::handle(const QByteArray &received) {
    m_data = withoutPlusPrefix(received.left(readSize));
    m_receivedText = messageText(m_data);
    m_message = cutAtFirstCr(m_receivedText);
    m_reply.clear();
    m_sendFailed = false;
    m_fate = Fate::Unmatched;
    m_logged = false;
    m_refusalLines.clear();
    // The empty read that ends a connection belongs to its record; bytes that make no text are
    // refused like any text no rule takes.
    if (received.isEmpty())
        m_fate = Fate::Taken;
    if (m_message.isEmpty()) {
        logRead();
        return true;
    }
    // A report digit first makes the text a report, "POLL" in it included: one text, one
    // account.
    if (m_link.connected()) {
        if (messageForm(m_message) == MessageForm::Poll)
            applyPollRule();
        else
            applyReportRule();
    }
    if (!m_sendFailed && m_message.contains(selfTestText))
        sendReply(acknowledgement);
    logRead();
    if (m_sendFailed)
        return false;
    if (!m_reply.isEmpty())
        m_services.output.watchdogFed();
    else
        m_services.output.dataShown(m_message);
    return true;
}

void PanelCycle::applyPollRule() {
    const PollText poll = recognisePoll(m_message, m_data);
    if (poll.kind == PollText::Kind::None)
        return;
    if (poll.kind == PollText::Kind::Clear) {
        if (!sendReply(acknowledgement))
            return;
        m_reply.clear();
        m_services.logs.Append_Message(LogBook::IpLog,
                                       nowText().toLocal8Bit() + "Clear Data: " + m_receivedText);
        return;
    }
    m_message = poll.message;
    const Admission::Lookup lookup = m_admission.lookUp(messageAccount(m_message));
    if (refusedForItsAccount(lookup) || refusedForItsKey(lookup) ||
        refusedAsReceivers(lookup.account))
        return;
    // A poll from another address than the account's is answered as before, but it must not
    // keep the panel alive: anyone can send it.
    const bool matches = m_admission.admits(lookup.record);
    const quint64 stored = m_admission.storedMark();
    std::optional<QByteArray> elements;
    if (lookup.record && matches)
        elements = m_services.polls.PollReceived(lookup.record->accNum, poll.status, m_peer);
    else if (lookup.record)
        elements = pollReply(*lookup.record, poll.status);
    if (lookup.record && !matches)
        refuse(otherAddress("not taken as its poll, not queued"));
    // Only a poll that stored a line for the automation software (a restore) waits for the disk
    // before its reply; a crash can cost any other poll no more than its "Polling" row.
    const bool storedLine = m_admission.storedMark() != stored;
    const bool admitted = elements && matches;
    if (admitted && !m_admission.store(m_message, storedLine))
        return notStored();
    if (!admitted && storedLine && !m_admission.storedDurably())
        return notStored();
    if (admitted)
        figures().received(Input::Tcp);
    // An account deleted between the look-up and the poll is answered as an unknown one.
    if (!sendReply(elements.value_or(QByteArray()) + acknowledgement))
        return;
    if (!admitted)
        m_reply.clear();
}

void PanelCycle::applyReportRule() {
    const std::optional<ReportText> report = recogniseReport(m_message, m_data);
    if (!report)
        return;
    m_message = report->message;
    const bool forwarded = report->format == '9';
    // A monitor that forwards its lines here has applied the account rules itself.
    const bool trusted = forwarded && m_admission.fromForwardingMonitor();
    const Admission::Lookup lookup =
        trusted ? Admission::Lookup{} : m_admission.lookUp(messageAccount(m_message));
    if (refusedForItsAccount(lookup) || (!trusted && refusedAsReceivers(lookup.account)))
        return;
    if (forwarded && !trusted && m_admission.protectedAccount(lookup)) {
        refuse("a forwarded line for account " + lookup.account.text +
               ", which takes its reports from its own panel only, sent from " + m_peer +
               ", which is not a forwarding monitor: not answered, not queued");
        return figures().refused(Refusal::ProtectedAccount);
    }
    if (!forwarded && refusedForItsKey(lookup))
        return;
    if (!trusted && refusedAsUnknown(lookup))
        return;
    const bool admitted = forwarded || m_admission.admits(lookup.record);
    if (!admitted)
        refuse(otherAddress("not queued"));
    if (admitted && !m_admission.store(m_message))
        return notStored();
    if (admitted)
        figures().received(Input::Tcp);
    if (!sendReply(acknowledgement))
        return;
    if (!admitted)
        m_reply.clear();
}

// An account with a DC-09 key speaks encrypted DC-09 only: a bare-IP text naming it could come
// from anyone, so it gets no answer and goes nowhere.
bool PanelCycle::refusedForItsKey(const Admission::Lookup &lookup) {
    if (!m_admission.encryptedOnly(lookup))
        return false;
    refuse("account " + lookup.account.text +
           " has a DC-09 key: bare-IP text not answered, not queued, not taken as a poll");
    figures().refused(Refusal::ProtectedAccount);
    return true;
}

// A text whose account field holds what its form does not allow is nobody's: the automation
// software could read another account from its line than any rule here saw.
bool PanelCycle::refusedForItsAccount(const Admission::Lookup &lookup) {
    if (!lookup.account.refused())
        return false;
    m_services.output.errorAccountShown(QString::fromLatin1(lookup.account.field));
    refuse(lookup.account.reason + ": not answered, not queued");
    figures().refused(Refusal::AccountNotNumber);
    return true;
}

// Junk from accounts nobody configured must not queue ahead of the alarms of those that are.
bool PanelCycle::refusedAsUnknown(const Admission::Lookup &lookup) {
    const std::optional<QByteArray> unknown = m_admission.unknownAccount(lookup);
    if (!unknown)
        return false;
    refuse(*unknown + ": not answered, not queued");
    figures().refused(Refusal::UnknownAccount);
    return true;
}

// A line from another monitor that forwards here is that monitor's own (its trouble lines
// included); anyone else's text under the receiver account could fake this one's trouble.
bool PanelCycle::refusedAsReceivers(const MessageAccount &account) {
    const std::optional<QByteArray> reason = m_admission.receiverAccount(account);
    if (!reason)
        return false;
    refuse(*reason + ": not answered, not queued");
    figures().refused(Refusal::ReceiverAccount);
    return true;
}

void PanelCycle::refuse(const QByteArray &reason) {
    m_fate = Fate::Refused;
    m_refusalLines.append(Admission::refusalLine(reason, m_message));
}

// A text taken whose store failed gets no reply; it is no refusal: the panel sends it again.
void PanelCycle::notStored() {
    if (m_fate == Fate::Unmatched)
        m_fate = Fate::Taken;
    figures().refused(Refusal::NotStored);
}

// The read's line as it always was, only written once its fate is known; for a refused read
// with its other lines, at the refusals' rate. Lines of the read that come later (a second
// reply) follow at that rate too.
void PanelCycle::logRead() {
    if (m_fate == Fate::Taken) {
        if (!std::exchange(m_logged, true))
            m_services.logs.appendStamped(LogBook::IpLog, m_receivedText);
        return;
    }
    if (!std::exchange(m_logged, true))
        m_refusalLines.prepend({LogBook::IpLog, " -- ", m_receivedText});
    if (!m_refusalLines.isEmpty())
        m_admission.logRefusal(std::exchange(m_refusalLines, {}));
}

QByteArray PanelCycle::otherAddress(const QByteArray &consequence) const {
    return "sent from " + m_peer + ", not from the account's NUA / IP: " + consequence;
}

bool PanelCycle::sendReply(const QByteArray &reply) {
    if (m_sendFailed)
        return false;
    m_reply = reply;
    figures().replied(Reply::Ack); // every reply to a bare-IP text ends in the ACK byte
    if (m_fate == Fate::Unmatched)
        m_fate = Fate::Taken;
    if (m_fate == Fate::Refused) {
        m_refusalLines.append({LogBook::AckLog, " IP -- ", reply});
        logRead();
    } else {
        logRead();
        // The date-time text is costly to build; with the logs off the panel need not wait.
        if (m_services.logs.saveEnabled())
            m_services.logs.Append_Message(LogBook::AckLog,
                                           nowText().toLocal8Bit() + " IP -- " + reply);
    }
    m_sendFailed = !m_link.send(reply);
    return !m_sendFailed;
}
