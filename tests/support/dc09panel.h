#pragma once

#include <QByteArray>
#include <QDateTime>

// DC-09 frames as a panel builds them, for tests: CRC-16/ARC and the length over the body, LF
// and CR around it, and AES-CBC (all-zero IV) through OpenSSL for encrypted ones.
namespace dc09panel {

// LF, CRC, "0" + length, the body from its opening '"', CR.
QByteArray frame(const QByteArray &body);
// The same with the CRC as two bytes, high byte first, as some panels send it.
QByteArray binaryFrame(const QByteArray &body);
// "_HH:MM:SS,MM-DD-YYYY" of a UTC moment.
QByteArray stamp(const QDateTime &utc);
// `"id"seq` + `header` (e.g. "R0L0#1234") + "[" + data + "]" + timestamp.
QByteArray clear(const QByteArray &id, const QByteArray &sequence, const QByteArray &header,
                 const QByteArray &data, const QByteArray &timestamp = {});
// `"*id"seq` + prefix + "#" + account + "[" + hex of the encrypted pad ("p"s), "|" and data (when
// there is data), "]" and timestamp.
QByteArray encrypted(const QByteArray &id, const QByteArray &sequence, const QByteArray &prefix,
                     const QByteArray &account, const QByteArray &data, const QByteArray &key,
                     const QByteArray &timestamp);
// The clear text of an encrypted reply's data block (the hex after its "["), empty on failure.
QByteArray decryptedBlock(const QByteArray &frame, const QByteArray &key);

} // namespace dc09panel
