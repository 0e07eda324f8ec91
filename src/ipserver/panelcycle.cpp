#include "panelcycle.h"

#include "receiveroutput.h"

#include "accounts/accountnumbers.h"
#include "accounts/accounttable.h"
#include "accounts/pollsupervision.h"
#include "common/datetimetext.h"
#include "common/logbook.h"
#include "protocol/ipinput.h"
#include "protocol/zorerinput.h"
#include "store/queuejournal.h"

using namespace ipinput;

PanelCycle::PanelCycle(ReceiverServices services, QByteArray peer, Link link)
    : m_services(services)
    , m_peer(std::move(peer))
    , m_link(std::move(link)) {}

bool PanelCycle::handle(const QByteArray &received) {
    m_data = withoutPlusPrefix(received.left(readSize));
    m_receivedText = messageText(m_data);
    m_services.logs.appendStamped(LogBook::IpLog, m_receivedText);
    m_message = cutAtFirstCr(m_receivedText);
    m_reply.clear();
    m_sendFailed = false;
    if (m_message.isEmpty())
        return true;
    if (m_link.connected()) {
        applyPollRule();
        applyReportRule();
    }
    if (!m_sendFailed && m_message.contains(selfTestText))
        sendReply(acknowledgement);
    if (m_sendFailed)
        return false;
    if (!m_reply.isEmpty())
        emit m_services.output.watchdogFed();
    else
        emit m_services.output.dataShown(m_message);
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
        m_data[0] = '\0';
        return;
    }
    m_message = poll.message;
    const Lookup lookup = lookUp(poll.accountText);
    if (!lookup.converted) {
        emit m_services.output.errorAccountShown(QString::fromLatin1(poll.accountText));
        return;
    }
    std::optional<QByteArray> elements;
    if (lookup.record)
        elements = m_services.polls.PollReceived(lookup.record->accNum, poll.status, m_peer);
    const bool admitted = elements && admits(lookup.record);
    if (admitted && !store())
        return;
    // An account deleted between the look-up and the poll is answered as an unknown one.
    if (!sendReply(elements.value_or(QByteArray()) + acknowledgement))
        return;
    if (!elements)
        m_data[0] = '\0';
    if (!admitted)
        m_reply.clear();
}

void PanelCycle::applyReportRule() {
    const std::optional<ReportText> report = recogniseReport(m_message, m_data);
    if (!report)
        return;
    m_message = report->message;
    std::optional<AccountRecord> record;
    if (report->accountText) {
        const Lookup lookup = lookUp(*report->accountText);
        if (!lookup.converted) {
            emit m_services.output.errorAccountShown(QString::fromLatin1(report->shownText));
            return;
        }
        record = lookup.record;
    }
    const bool admitted = report->format == '9' || admits(record);
    if (admitted && !store())
        return;
    if (!sendReply(acknowledgement))
        return;
    if (!admitted)
        m_reply.clear();
}

PanelCycle::Lookup PanelCycle::lookUp(const QByteArray &accountText) {
    const std::optional<quint32> number = NumericalAccNum(accountText);
    if (!number)
        return {};
    return {true, m_services.accounts.Find_Account(*number)};
}

// A message whose account is bound to another address has its acknowledgement, and a poll its
// reload, but goes no further: it is neither queued nor does it feed the watchdog.
bool PanelCycle::admits(const std::optional<AccountRecord> &record) const {
    return !(record && (record->optionBits & AccountRecord::MatchNuaIp) && record->nuaIp != m_peer);
}

// Decided before the reply: the panel is acknowledged only for a message that is stored (and
// listed, in the stored order). One that cannot be stored gets no reply, so the panel sends it
// again; one stored whose reply then fails stays queued.
bool PanelCycle::store() {
    QueueJournal *journal = m_services.journal;
    if (!journal) {
        emit m_services.output.messageQueued(m_peer, m_message, 0);
        return true;
    }
    const quint64 ticket = journal->addPending(m_peer, m_message, [this](quint64 id) {
        emit m_services.output.messageQueued(m_peer, m_message, id);
    });
    return ticket != 0 && journal->flushed(ticket);
}

bool PanelCycle::sendReply(const QByteArray &reply) {
    if (m_sendFailed)
        return false;
    m_reply = reply;
    // The date-time text is costly to build; with the logs off the panel need not wait for it.
    if (m_services.logs.saveEnabled())
        m_services.logs.Append_Message(LogBook::AckLog,
                                       nowText().toLocal8Bit() + " IP -- " + reply);
    m_sendFailed = !m_link.send(reply);
    return !m_sendFailed;
}
