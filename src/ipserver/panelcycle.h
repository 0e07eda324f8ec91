#pragma once

#include "admission.h"
#include "receiverservices.h"

#include <QByteArray>
#include <functional>
#include <optional>

// One read from a panel: the text is recognised as a poll, a report, a forwarded line or the
// self-test, answered, queued for decoding unless its account is bound to another address, and
// logged once its fate is known: a read that is taken as ever, one that is refused or withdrawn
// (or that no rule takes) at the receiver's rate of refusal lines. Runs on the connection's
// thread.
class PanelCycle {
public:
    struct Link {
        std::function<bool(const QByteArray &)> send; // false when the bytes could not be sent
        std::function<bool()> connected;
    };

    PanelCycle(ReceiverServices services, QByteArray peer, Link link);

    // Handles one read (empty for the read that ends the connection). False when a reply could
    // not be sent: the connection is then over.
    bool handle(const QByteArray &received);

private:
    // What became of the current read, for its log lines.
    enum class Fate { Unmatched, Taken, Refused };

    void applyPollRule();
    void applyReportRule();
    bool refusedForItsAccount(const Admission::Lookup &lookup);
    bool refusedForItsKey(const Admission::Lookup &lookup);
    bool refusedAsUnknown(const Admission::Lookup &lookup);
    bool refusedAsReceivers(const MessageAccount &account);
    void refuse(const QByteArray &reason);
    void notStored();
    void logRead();
    QByteArray otherAddress(const QByteArray &consequence) const;
    bool sendReply(const QByteArray &reply);

    ReceiverServices m_services;
    QByteArray m_peer;
    Admission m_admission;
    Link m_link;
    // State of the current read.
    QByteArray m_data;         // received bytes after the "+++" removal
    QByteArray m_receivedText; // the logged text
    QByteArray m_message;
    QByteArray m_reply;
    bool m_sendFailed = false;
    Fate m_fate = Fate::Unmatched;
    bool m_logged = false;                  // its "IP_logFile.TXT" line is written (or left out)
    QList<RefusalLog::Line> m_refusalLines; // of a refused read, not written yet
};
