#include "protocol/dc09reply.h"

#include "protocol/dc09cipher.h"
#include "protocol/dc09content.h"
#include "protocol/dc09crc.h"

#include <QRandomGenerator>

namespace dc09 {

namespace {

constexpr qsizetype blockSize = 16;

QByteArray hex(quint32 value, int digits) {
    return QByteArray::number(value, 16).toUpper().rightJustified(digits, '0');
}

// The sequence, receiver, line and account of the message in the form it used, as the reply
// echoes them: no "R" or "L" where the message had none.
QByteArray echo(const Header &message) {
    QByteArray text = message.sequence;
    if (message.receiver)
        text += 'R' + *message.receiver;
    if (message.line)
        text += 'L' + *message.line;
    return text + '#' + message.account;
}

} // namespace

QByteArray framed(const QByteArray &body, bool binaryCrc) {
    const quint16 crc = crc16(body);
    const char crcBytes[] = {char(crc >> 8), char(crc & 0xFF)};
    const QByteArray crcField = binaryCrc ? QByteArray(crcBytes, 2) : hex(crc, 4);
    return '\n' + crcField + '0' + hex(quint32(body.size()), 3) + body + '\r';
}

QByteArray ackReply(const Header &message) {
    return framed("\"ACK\"" + echo(message) + "[]", message.binaryCrc);
}

QByteArray encryptedAckReply(const Header &message, const QByteArray &key, const QDateTime &nowUtc,
                             const QByteArray &pad) {
    const QByteArray tail = "]_" + timestampText(nowUtc);
    const qsizetype padSize = blockSize - tail.size() % blockSize;
    QByteArray padding = pad.left(padSize);
    padding += QByteArray(padSize - padding.size(), '0');
    const QByteArray cipherText = encrypt(key, padding + tail).value_or(QByteArray());
    return framed("\"*ACK\"" + echo(message) + '[' + cipherText.toHex().toUpper(),
                  message.binaryCrc);
}

QByteArray nakReply(const QDateTime &nowUtc, bool binaryCrc) {
    return framed("\"NAK\"0000R0L0A0[]_" + timestampText(nowUtc), binaryCrc);
}

QByteArray duhReply(const Header &message) {
    return framed("\"DUH\"" + echo(message) + "[]", message.binaryCrc);
}

QByteArray randomPad() {
    static const char alphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    // One draw from the system's source for the whole pad: a draw per character costs more than
    // the encryption.
    quint32 random[blockSize / 4];
    QRandomGenerator::system()->fillRange(random);
    QByteArray pad(blockSize, '0');
    for (qsizetype i = 0; i < blockSize; ++i)
        pad[i] = alphabet[quint8(random[i / 4] >> (8 * (i % 4))) % (sizeof alphabet - 1)];
    return pad;
}

} // namespace dc09
