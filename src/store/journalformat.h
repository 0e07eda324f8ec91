#pragma once

#include <QByteArray>
#include <QList>

// The byte layout of the queue journal: a file header with the format version, then records.
// Every record starts with a fixed marker and carries its payload's length and CRC-32, so a reader
// can tell a whole record from a torn or damaged one and find the next record after damage.
namespace journalformat {

inline constexpr int headerSize = 8;
inline constexpr int recordHeaderSize = 12;
inline constexpr quint16 formatVersion = 1;
// Larger than any record the monitor writes; a length above it is damage, not a record.
inline constexpr quint32 maxPayload = 64u * 1024u * 1024u;

QByteArray fileHeader();
QByteArray recordMarker();
quint32 crc32(const char *data, qsizetype size);
QByteArray encodeRecord(const QByteArray &payload);

struct ReadResult {
    QList<QByteArray> payloads; // every whole record, in file order
    bool headerValid = false;   // the header names this format and version
    qsizetype validEnd = 0;     // where the last whole record ends
    qsizetype skippedBytes = 0; // damaged bytes between whole records (header included)
    qsizetype tailBytes = 0;    // bytes after the last whole record that form no record
};

// Reads every whole record. Damage in the middle is skipped up to the next marker that starts
// a whole record; bytes after the last whole record are a torn tail. Never fails.
ReadResult readJournal(const QByteArray &bytes);

} // namespace journalformat
