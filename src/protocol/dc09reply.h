#pragma once

#include "protocol/dc09frame.h"

#include <QByteArray>
#include <QDateTime>

// The receiver's answers to a panel, framed as its messages are (LF, CRC, length, body, CR).
namespace dc09 {

// LF, the CRC (4 hex digits, or two bytes high byte first) and the length of the body, the body,
// CR.
QByteArray framed(const QByteArray &body, bool binaryCrc = false);

// "ACK" echoing the sequence, the receiver and the line (each only when the message had one)
// and the account, with "[]". Every reply to a message carries its CRC in the message's form.
QByteArray ackReply(const Header &message);

// "*ACK" as "ACK", with the content encrypted under the key: a pad, "]" and the receiver's time.
// `pad` gives the pad's characters (never "|", "[" or "]"); it is cut or filled to whole blocks.
QByteArray encryptedAckReply(const Header &message, const QByteArray &key, const QDateTime &nowUtc,
                             const QByteArray &pad);

// "NAK"0000R0L0A0[] and the receiver's time, for a message outside the time window.
QByteArray nakReply(const QDateTime &nowUtc, bool binaryCrc = false);

// "DUH" as "ACK": a well-formed message this receiver cannot handle.
QByteArray duhReply(const Header &message);

// Pad characters for an encrypted reply, from the system's random source.
QByteArray randomPad();

} // namespace dc09
