#pragma once

#include "protocol/messageaccount.h"

#include <QByteArray>
#include <QList>
#include <functional>
#include <optional>

// The Zorer-Uda line protocol: call-control words, message acceptance and the account text of an
// accepted message. Pure rules over one slot's text; the engine applies their results.

struct CallState {
    bool lineConnected = false;
    bool callByCom = false;
    QByteArray lineNua;
};

// What the call-control scan did with a slot's text.
struct ScanResult {
    QByteArray text;         // what is left for acceptance (empty when consumed)
    QList<QByteArray> shown; // texts for "Received Data" (shown while the window is open)
    std::optional<QByteArray> forwarded; // a "9...@" line to acknowledge and queue as received
};

// Runs the five call-control rules in order ("COM", "RX3", "CONNECT", "CLR" / "NO CARRIER",
// "9" ... "@") on the text and updates the call state.
ScanResult callControlScan(const QByteArray &text, CallState &state);

// Result of the account look-up for acceptance.
enum class AccountVerdict {
    Acknowledge,    // unknown account, no match option, or the NUA / IP matches
    Refuse,         // "Match NUA / IP" set and the caller differs
    NotConvertible, // the account field is not an account of the message's form
};

struct AcceptanceResult {
    QByteArray text;         // the text left after acceptance (shown by the tick, then emptied)
    QList<QByteArray> shown; // texts for "Received Data"
    std::optional<QByteArray> accepted; // message to acknowledge and queue (format digit first)
};

// Message acceptance on a connected slot, after the scan. `lookup` is asked about the message's
// account (as messageAccount() reads it) only when a decision is needed. When acceptance stops
// early (a text under 13 characters, or no format digit) the text is returned for the tick to show;
// a "*" text under 13 characters clears the call. Otherwise the returned text is empty, and the
// message is either accepted or, when refused, not convertible or a Fast Format text of 13
// characters or fewer, shown a second time. On a slot that is not connected nothing happens.
AcceptanceResult acceptMessage(const QByteArray &text, CallState &state,
                               const std::function<AccountVerdict(const MessageAccount &)> &lookup);
