#pragma once

#include "admission.h"
#include "dc09services.h"
#include "receiverservices.h"

#include <QByteArray>
#include <functional>
#include <optional>

// One DC-09 frame from a panel, over TCP or UDP: answered as the frame rules say, logged (a
// refused or withdrawn one at the receiver's rate of refusal lines), and when accepted passed
// through the account decision and the durable store like a bare-IP report (a repeat or a replay
// of a message queued a few minutes ago is answered but not queued again). Any accepted frame
// from a known account also counts as the panel's poll, unless the account is bound to another
// address; with "Known accounts only", a report from an account in neither the account table nor
// the key file gets "DUH". A panel that sends no line number, that sends its CRC as two bytes,
// or that uses the other reading of its key, is noted once per account in the exception log. Over
// UDP no answer is larger than the datagram it answers. Runs on the thread that serves the panel.
class Dc09Exchange {
public:
    using Send = std::function<bool(const QByteArray &)>; // false when it could not be sent

    struct Outcome {
        dc09::Receipt receipt;
        bool sendFailed = false;
    };

    Dc09Exchange(ReceiverServices services, QByteArray peer, Send send);

    // True when the receiver takes DC-09 frames now.
    static bool enabled(const ReceiverServices &services);

    // The frame at the start of `bytes`. On a stream an incomplete frame is left for more bytes
    // (kind Incomplete, nothing done); a datagram is a whole frame or none.
    Outcome handle(const QByteArray &bytes, bool datagram);

    // The frame as the log shows it: one line, without its LF and CR; a CRC sent as two bytes
    // (which may be LF or CR) is shown as its 4 hex digits.
    static QByteArray logText(const QByteArray &frame);

private:
    enum class Decision { Kept, Withdrawn, NotStored };

    Dc09Options options() const;
    dc09::Receipt receipt(const QByteArray &bytes, bool datagram) const;
    void refuseUnprovenSender(dc09::Receipt &receipt, const Admission::Lookup &lookup) const;
    void refuseUnknownAccount(dc09::Receipt &receipt, const Admission::Lookup &lookup) const;
    static void refuse(dc09::Receipt &receipt, const QByteArray &rejection);
    QByteArray withdrawal(const Admission::Lookup &lookup) const;
    void logFrame(const dc09::Receipt &receipt, const QByteArray &text,
                  const std::optional<QByteArray> &refusal, bool answered);
    Decision accept(const dc09::Receipt &receipt, const Admission::Lookup &lookup);
    bool queueOnce(const dc09::Receipt &receipt);
    std::optional<quint64> storeAll(const QList<QByteArray> &messages,
                                    std::optional<quint64> claim = std::nullopt);
    void noteNoLineNumber(const QByteArray &account, const QByteArray &text,
                          QList<RefusalLog::Line> &lines);
    void noteOtherKeyReading(const QByteArray &account, const QByteArray &text,
                             QList<RefusalLog::Line> &lines);
    void noteBinaryCrc(const QByteArray &account, const QByteArray &text,
                       QList<RefusalLog::Line> &lines);
    bool sendReply(const QByteArray &reply, bool logged);
    static void countReply(const dc09::Receipt &receipt, bool kept, bool datagram, bool answered);

    ReceiverServices m_services;
    Admission m_admission;
    Send m_send;
};
