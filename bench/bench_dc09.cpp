// Prints how many DC-09 SIA-DCS frames per second the frame rules receive (checked, converted
// and answered), clear and AES-256, and what the decryption alone costs per message.
#include "protocol/dc09cipher.h"
#include "protocol/dc09receipt.h"
#include "protocol/dc09reply.h"

#include <QElapsedTimer>
#include <QTimeZone>

#include <cstdio>

namespace {

const QDateTime now(QDate(2026, 8, 27), QTime(20, 38, 10), QTimeZone::utc());
const QByteArray key(32, 'K');
const QByteArray data = "#123456|Nri1/BA01|AFront door]_20:38:05,08-27-2026";

QByteArray clearFrame() {
    return dc09::framed("\"SIA-DCS\"0001R1L1#123456[" + data);
}

QByteArray encryptedFrame() {
    QByteArray plain = '|' + data;
    plain.prepend(QByteArray((16 - plain.size() % 16) % 16, 'p'));
    return dc09::framed("\"*SIA-DCS\"0001R1L1#123456[" +
                        dc09::encrypt(key, plain)->toHex().toUpper());
}

// Receipts per second for `count` frames; aborts the figure when one is not acknowledged.
double receiptsPerSecond(const QByteArray &frame, int count) {
    const dc09::KeyLookup keys = [](const QByteArray &) { return std::optional<QByteArray>(key); };
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        if (dc09::receive(frame, keys, {}, now).kind != dc09::Receipt::Kind::Ack)
            return 0;
    }
    return count / (double(timer.nsecsElapsed()) / 1e9);
}

double decryptMicroseconds(int count) {
    const QByteArray frame = encryptedFrame();
    const QByteArray cipherText = QByteArray::fromHex(frame.mid(frame.indexOf('[') + 1).chopped(1));
    QElapsedTimer timer;
    timer.start();
    qsizetype sink = 0;
    for (int i = 0; i < count; ++i)
        sink += dc09::decrypt(key, cipherText)->size();
    const double microseconds = double(timer.nsecsElapsed()) / 1e3 / count;
    return sink > 0 ? microseconds : 0;
}

} // namespace

int main() {
    const int count = 200000;
    std::printf("clear SIA-DCS:   %9.0f receipts/s\n", receiptsPerSecond(clearFrame(), count));
    std::printf("AES-256 SIA-DCS: %9.0f receipts/s (decrypt, check, convert, encrypted *ACK)\n",
                receiptsPerSecond(encryptedFrame(), count));
    std::printf("AES-256 decryption of one message (%lld bytes): %.2f us\n",
                static_cast<long long>(encryptedFrame().size()), decryptMicroseconds(count));
    return 0;
}
