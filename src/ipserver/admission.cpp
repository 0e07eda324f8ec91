#include "admission.h"

#include "dc09exchange.h"
#include "dc09keys.h"
#include "receiverhandover.h"

#include "accounts/accounttable.h"
#include "common/datetimetext.h"
#include "common/logbook.h"
#include "engine/receiveraccount.h"
#include "store/queuejournal.h"

Admission::Admission(ReceiverServices services, QByteArray peer)
    : m_services(services)
    , m_peer(std::move(peer)) {}

Admission::Lookup Admission::lookUp(const MessageAccount &account) const {
    if (!account.named())
        return {account, std::nullopt};
    return {account, m_services.accounts.Find_Account(account.number)};
}

// A message whose account is bound to another address has its acknowledgement, and a poll its
// reload, but goes no further: it is neither queued nor does it feed the watchdog.
bool Admission::admits(const std::optional<AccountRecord> &record) const {
    return !record || record->admitsCaller(m_peer);
}

bool Admission::encryptedOnly(const Lookup &lookup) const {
    const Dc09Keys *keys = m_services.dc09 ? m_services.dc09->keys : nullptr;
    return lookup.account.named() && keys && Dc09Exchange::enabled(m_services) &&
           keys->hasKey(lookup.account.number);
}

bool Admission::protectedAccount(const Lookup &lookup) const {
    const bool bound = lookup.record && (lookup.record->optionBits & AccountRecord::MatchNuaIp);
    return bound || encryptedOnly(lookup);
}

bool Admission::fromForwardingMonitor() const {
    return m_services.options && m_services.options().forwardingMonitors.contains(m_peer);
}

std::optional<QByteArray> Admission::unknownAccount(const Lookup &lookup) const {
    if (lookup.record || !m_services.options || !m_services.options().knownAccountsOnly)
        return std::nullopt;
    if (!lookup.account.named())
        return QByteArray("unknown account: the report names none, and \"Known accounts only\" "
                          "is on");
    const Dc09Keys *keys = m_services.dc09 ? m_services.dc09->keys : nullptr;
    if (keys && keys->hasKey(lookup.account.number))
        return std::nullopt;
    return "unknown account " + lookup.account.text +
           ": in neither Accounts.PDB nor Dc09Keys.txt, and \"Known accounts only\" is on";
}

std::optional<QByteArray> Admission::receiverAccount(const MessageAccount &account) const {
    if (!m_services.options || !namesReceiverAccount(account, m_services.options().receiverAccount))
        return std::nullopt;
    return "receiver account " + account.text +
           ": only this monitor reports under it, a panel's text could fake its trouble";
}

void Admission::logRefusal(const QList<RefusalLog::Line> &lines) const {
    if (m_services.refusals) {
        m_services.refusals->write(lines);
        return;
    }
    if (!m_services.logs.saveEnabled())
        return;
    for (const RefusalLog::Line &line : lines)
        m_services.logs.Append_Message(line.file,
                                       nowText().toLocal8Bit() + line.separator + line.text);
}

RefusalLog::Line Admission::refusalLine(const QByteArray &reason, const QByteArray &text) {
    return {LogBook::ConversionLog, " -- ", "[" + reason + "] " + text};
}

// Decided before the reply: the panel is acknowledged only for a message that is stored (and
// listed, in the stored order). One that cannot be stored gets no reply, so the panel sends it
// again; one stored whose reply then fails stays queued.
bool Admission::store(const QByteArray &message, bool waitForDisk) const {
    QueueJournal *journal = m_services.journal;
    if (!journal)
        return write(message).has_value();
    return journal->storePending(m_peer, message, lister(message), waitForDisk);
}

std::optional<quint64> Admission::write(const QByteArray &message) const {
    QueueJournal *journal = m_services.journal;
    if (!journal) {
        lister(message)(0);
        return quint64(0);
    }
    const quint64 ticket = journal->addPending(m_peer, message, lister(message));
    return ticket != 0 ? std::optional<quint64>(ticket) : std::nullopt;
}

// Lists a stored message with its queue id; called under the journal's lock to keep its order.
std::function<void(quint64)> Admission::lister(const QByteArray &message) const {
    return [this, &message](quint64 id) { m_services.output.messageQueued(m_peer, message, id); };
}

bool Admission::durable(quint64 ticket, const std::function<void(bool)> &then) const {
    if (ticket == 0 || !m_services.journal) {
        if (then)
            then(true);
        return true;
    }
    return m_services.journal->awaited(ticket, then);
}

quint64 Admission::storedMark() const {
    return m_services.journal ? QueueJournal::lastTicketOfThisThread() : 0;
}

bool Admission::storedDurably() const {
    return durable(storedMark());
}
