#pragma once

#include "receiverservices.h"
#include "refusallog.h"

#include "accounts/accountrecord.h"
#include "protocol/messageaccount.h"

#include <QByteArray>
#include <functional>
#include <optional>

// What every accepted text from one panel goes through, whatever carried it: the account
// look-up, the "Match NUA / IP" decision, the refusal of bare-IP texts for an account that takes
// encrypted DC-09 only, and the durable store before the reply. Runs on the thread that serves
// the panel.
class Admission {
public:
    struct Lookup {
        MessageAccount account;              // as the message names it (messageAccount())
        std::optional<AccountRecord> record; // its polling account, when it has one
    };

    Admission(ReceiverServices services, QByteArray peer);

    // The polling account of a message's account, when it names one.
    Lookup lookUp(const MessageAccount &account) const;
    bool admits(const std::optional<AccountRecord> &record) const;
    // True when the account has a DC-09 key while DC-09 is taken: only encrypted DC-09 messages
    // come from its panel, so a bare-IP text naming it is anyone's.
    bool encryptedOnly(const Lookup &lookup) const;
    // True when the account is protected against senders other than its panel: a DC-09 key, or
    // "Match NUA / IP".
    bool protectedAccount(const Lookup &lookup) const;
    // True when the peer is one of the monitors that forward their lines here.
    bool fromForwardingMonitor() const;
    // With "Known accounts only" on, the reason to refuse a report whose account is in neither
    // the account table nor the key file (or that names none: it is nobody's); none otherwise.
    std::optional<QByteArray> unknownAccount(const Lookup &lookup) const;
    // The reason to refuse a text or frame under the receiver account (only the monitor itself
    // reports under it); none otherwise.
    std::optional<QByteArray> receiverAccount(const MessageAccount &account) const;
    // Writes the lines of one refusal at the receiver's rate of refusal lines.
    void logRefusal(const QList<RefusalLog::Line> &lines) const;
    // The exception log's line of a refusal: "[" + reason + "] " + text.
    static RefusalLog::Line refusalLine(const QByteArray &reason, const QByteArray &text);
    // Stores the message as "[" + peer + "]" + message and lists it; false when it could not be
    // stored, and the panel must then get no reply. Without `waitForDisk` the record is written
    // but not waited for: for a message whose loss in a crash costs no line to the automation.
    bool store(const QByteArray &message, bool waitForDisk = true) const;
    // The same in two steps: written (the journal's ticket, 0 without a journal; none when it
    // could not be written), then waited for until it is on the disk.
    std::optional<quint64> write(const QByteArray &message) const;
    // `then(stored)` follows once the outcome is known, also when the wait is deferred to the
    // round's flush (the reply is then held until that flush, and dropped when it fails).
    bool durable(quint64 ticket, const std::function<void(bool)> &then = {}) const;
    // A mark of what this thread has stored so far: a change tells that a line was stored.
    quint64 storedMark() const;
    // Waits until everything this thread stored is on the disk; false when it could not be.
    bool storedDurably() const;

    const QByteArray &peer() const { return m_peer; }
    const ReceiverServices &services() const { return m_services; }

private:
    std::function<void(quint64)> lister(const QByteArray &message) const;

    ReceiverServices m_services;
    QByteArray m_peer;
};
