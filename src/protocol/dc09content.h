#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <optional>

// What a DC-09 frame carries after its "[": the data up to "]", extra blocks ("[X...]",
// "[V...]", ...) and an optional timestamp "_HH:MM:SS,MM-DD-YYYY" (UTC).
namespace dc09 {

struct Content {
    QByteArray data;
    QList<QByteArray> extraBlocks;       // each with its brackets
    std::optional<QByteArray> timestamp; // "HH:MM:SS,MM-DD-YYYY", without the "_"
};

// The clear form: data, "]", extra blocks, timestamp. None when it does not follow that layout
// or holds a control byte; bytes 0x80-0xFF (accented text) are carried as they are.
std::optional<Content> parseClearContent(const QByteArray &content);

// The decrypted form: a pad without "|", "[" or "]", then "|" and the clear form, or the clear
// form's "]" straight after the pad (no data).
std::optional<Content> parseDecryptedContent(const QByteArray &plain);

// The receiver's time and a panel's time in the timestamp's form.
QByteArray timestampText(const QDateTime &utc);
std::optional<QDateTime> parseTimestamp(const QByteArray &text);

// A message time is accepted from 40 s before the receiver's time to 20 s after it.
bool withinWindow(const QDateTime &messageUtc, const QDateTime &nowUtc);

} // namespace dc09
