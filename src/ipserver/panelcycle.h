#pragma once

#include "admission.h"
#include "receiverservices.h"

#include <QByteArray>
#include <functional>
#include <optional>

// One read from a panel: the text is logged, recognised as a poll, a report, a forwarded line or
// the self-test, answered, and queued for decoding unless its account is bound to another
// address. Runs on the connection's thread.
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
    void applyPollRule();
    void applyReportRule();
    bool refusedForItsAccount(const Admission::Lookup &lookup);
    bool refusedForItsKey(const Admission::Lookup &lookup);
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
};
