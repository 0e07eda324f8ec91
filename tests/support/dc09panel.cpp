#include "dc09panel.h"

#include <openssl/evp.h>

#include <memory>

namespace dc09panel {

namespace {

quint16 crcArc(const QByteArray &bytes) {
    quint16 crc = 0;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return crc;
}

QByteArray hex(unsigned value, int digits) {
    return QByteArray::number(value, 16).toUpper().rightJustified(digits, '0');
}

const EVP_CIPHER *cipherFor(const QByteArray &key) {
    switch (key.size()) {
    case 16:
        return EVP_aes_128_cbc();
    case 24:
        return EVP_aes_192_cbc();
    case 32:
        return EVP_aes_256_cbc();
    default:
        return nullptr;
    }
}

QByteArray crypt(const QByteArray &input, const QByteArray &key, bool encrypt) {
    const EVP_CIPHER *cipher = cipherFor(key);
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(),
                                                                            EVP_CIPHER_CTX_free);
    const unsigned char iv[16] = {};
    if (!cipher || !context || input.size() % 16 != 0 ||
        EVP_CipherInit_ex(context.get(), cipher, nullptr,
                          reinterpret_cast<const unsigned char *>(key.constData()), iv,
                          encrypt ? 1 : 0) != 1)
        return {};
    EVP_CIPHER_CTX_set_padding(context.get(), 0);
    QByteArray output(input.size(), '\0');
    int written = 0;
    if (EVP_CipherUpdate(context.get(), reinterpret_cast<unsigned char *>(output.data()), &written,
                         reinterpret_cast<const unsigned char *>(input.constData()),
                         int(input.size())) != 1)
        return {};
    return output.left(written);
}

} // namespace

QByteArray frame(const QByteArray &body) {
    return "\n" + hex(crcArc(body), 4) + "0" + hex(unsigned(body.size()), 3) + body + "\r";
}

QByteArray binaryFrame(const QByteArray &body) {
    const quint16 crc = crcArc(body);
    const char crcBytes[] = {char(crc >> 8), char(crc & 0xFF)};
    return "\n" + QByteArray(crcBytes, 2) + "0" + hex(unsigned(body.size()), 3) + body + "\r";
}

QByteArray stamp(const QDateTime &utc) {
    return "_" + utc.toUTC().toString(QStringLiteral("HH:mm:ss,MM-dd-yyyy")).toLatin1();
}

QByteArray clear(const QByteArray &id, const QByteArray &sequence, const QByteArray &header,
                 const QByteArray &data, const QByteArray &timestamp) {
    return "\"" + id + "\"" + sequence + header + "[" + data + "]" + timestamp;
}

QByteArray encrypted(const QByteArray &id, const QByteArray &sequence, const QByteArray &prefix,
                     const QByteArray &account, const QByteArray &data, const QByteArray &key,
                     const QByteArray &timestamp) {
    const QByteArray content = (data.isEmpty() ? QByteArray() : "|" + data) + "]" + timestamp;
    const QByteArray plain = QByteArray(16 - content.size() % 16, 'p') + content;
    return "\"*" + id + "\"" + sequence + prefix + "#" + account + "[" +
           crypt(plain, key, true).toHex().toUpper();
}

QByteArray decryptedBlock(const QByteArray &frame, const QByteArray &key) {
    const qsizetype open = frame.indexOf('[');
    if (open < 0)
        return {};
    QByteArray hexPart = frame.mid(open + 1);
    while (hexPart.endsWith('\r') || hexPart.endsWith('\n'))
        hexPart.chop(1);
    return crypt(QByteArray::fromHex(hexPart), key, false);
}

} // namespace dc09panel
