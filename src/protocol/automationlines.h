#pragma once

#include <QByteArray>
#include <QList>

// The lines sent to the automation software, composed when their event is produced. A queued
// line never holds its terminator; framing adds it at the moment of sending.

// Receiver number (two characters, "04") and receiver line (one character, "1") as typed.
struct LinePrefix {
    QByteArray rr;
    QByteArray line;
};

enum class OutputFormat { None = -1, HighSpeed = 0, Basic = 1 };

inline const QByteArray heartbeatLine = QByteArrayLiteral("1011           @    ");
inline const QByteArray ipTestLine = QByteArrayLiteral("IP TEST");

// Contact ID message ("2" + account + "18" + Q + EEE + GG + CCC + check digit). A valid report
// gives "5" RR L " 18" account Q EEE GG CCC with "A" in the account sent as "0"; any other the
// bare "5" RR L " 18".
QByteArray contactIdLine(const QByteArray &message, const LinePrefix &prefix);
bool isValidContactId(const QByteArray &message);
// The account lengths the lines are built with: Contact ID length - 13 (0 below 13), Fast Format
// length - 10, or length - 18 from 20 characters on (below 1: no account).
qsizetype contactIdAccountLength(const QByteArray &message);
qsizetype fastFormatAccountLength(const QByteArray &message);

// Fast Format message ("1" + account + channels + status): one "High Speed" line, one "Basic"
// line per reportable channel, nothing for OutputFormat::None. A message under 11 characters has
// no account and no channels and gives nothing. A "Basic" zone is position - 5, always two
// characters below 10; positions that would give a negative zone are sent as zone "00".
QList<QByteArray> fastFormatLines(const QByteArray &message, const LinePrefix &prefix,
                                  OutputFormat format);

// SIA message ("3" + block chain ending in "@"): "S" RR L "[#" blocks "]". The walk ends at a
// header "@", a header whose length (AND 0x3F) is 0, or a header position beyond the end; a
// block whose data run past the end gives the bytes that are there.
QByteArray siaLine(const QByteArray &message, const LinePrefix &prefix);

// One Contact ID event in the line's layout: "5" RR L " 18" account Q EEE GG CCC, with Q "E"
// for an event or trouble and "R" for its restore. The account is sent as given.
QByteArray contactIdEventLine(const LinePrefix &prefix, const QByteArray &account, bool restore,
                              const QByteArray &code, const QByteArray &group,
                              const QByteArray &zone);

// Poll failure and restore for an account (acc4 is its four-character form). Contact ID form
// with the poll code, or the SIA form with the SIA failure / restore code.
QByteArray pollFailureLine(const QByteArray &acc4, const LinePrefix &prefix, bool reportAsSia,
                           const QByteArray &pollCode, const QByteArray &siaFailCode);
QByteArray pollRestoreLine(const QByteArray &acc4, const LinePrefix &prefix, bool reportAsSia,
                           const QByteArray &pollCode, const QByteArray &siaRestoreCode);

// A message forwarded by another monitor ("9" + line): its characters 2 to 51.
QByteArray forwardedLine(const QByteArray &message);
