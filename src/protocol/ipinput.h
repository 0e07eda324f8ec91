#pragma once

#include <QByteArray>
#include <optional>

// The IP panel protocol: what one read from a panel's connection is taken to be. Pure rules over
// the received bytes; the connection thread does the look-ups, replies and queuing they call for.
//
// Two views of a read are used, as the panels expect: the received bytes ("data", the rest of
// the 1024-byte read buffer being zeros) and the message text (the data up to its first zero
// byte, later cut at its first CR). The report rules look at the data, the poll rule at the text.
namespace ipinput {

inline const QByteArray acknowledgement = QByteArrayLiteral("\x06\r\n");
inline const QByteArray selfTestText = QByteArrayLiteral("IP TEST");
constexpr qsizetype readSize = 1024;

// The received bytes without a leading "+++" (a modem escape some panels send first).
QByteArray withoutPlusPrefix(const QByteArray &received);

// The data up to its first zero byte.
QByteArray messageText(const QByteArray &data);

// A message longer than 2 characters loses 10 characters from its first CR on (fewer at the end
// of the text): the CR LF after one report, and a piece of a second report in the same read.
QByteArray cutAtFirstCr(const QByteArray &message);

// The poll rule ("POLL" anywhere in the message).
struct PollText {
    enum class Kind {
        None,       // no "POLL"
        Supervised, // "POLL" + a digit or capital: look the account up
        Clear,      // "POLL" + anything else: acknowledged and dropped
    };
    Kind kind = Kind::None;
    QByteArray message; // with stray characters of the account part turned into "0"
    char status = 0;    // the data byte after the "#"; 0 when it was not received
};
PollText recognisePoll(const QByteArray &message, const QByteArray &data);

// The report rules, chosen by the first byte of the data: "2" Contact ID (only with a valid
// digit sum), "1" Fast Format (11 characters or more), "3" SIA, "9" forwarded line. The account
// of what is queued is read by messageAccount(), as everywhere else.
struct ReportText {
    char format = 0;
    QByteArray message; // what is queued
};
std::optional<ReportText> recogniseReport(const QByteArray &message, const QByteArray &data);

// The number of Contact ID bytes from the start of the data ("2" and the digits after it) when
// their digit sum is valid; nullopt otherwise.
std::optional<qsizetype> contactIdLength(const QByteArray &data);

} // namespace ipinput
