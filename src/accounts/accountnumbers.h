#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// Account numbers: 0..999999 are decimal accounts; 1000000 and above are alphanumeric codes,
// 1000000 plus the code read in base 36.

// Account text to number. An all-digit text whose value does not fit a signed 32-bit integer
// does not convert (nullopt); the empty text gives 0.
std::optional<quint32> NumericalAccNum(const QByteArray &text);
// Number to its full text form ("0" for both 0 and 1000000).
QByteArray AccNumString(quint32 number);
// The form used in automation lines and the account view: left-padded with "0" to four
// characters; a longer account whole.
QByteArray AccountToStg(quint32 number);
// True when every character is a decimal digit; true for the empty text.
bool IsStrNumeric(const QByteArray &text);

// The account-number entry field's cleaning rule: lower case letters become upper case, other
// characters than letters and digits are removed, and a non-digit typed at position 6 is dropped.
QString cleanAccountEntry(const QString &typed);
