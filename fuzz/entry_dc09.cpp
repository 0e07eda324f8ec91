#include "fuzzentries.h"
#include "fuzzinput.h"

#include "protocol/dc09cipher.h"
#include "protocol/dc09frame.h"
#include "protocol/dc09receipt.h"
#include "protocol/dc09reply.h"
#include "protocol/ipinput.h"

#include <QTimeZone>

using dc09::Receipt;

namespace {

const QDateTime now(QDate(2026, 8, 27), QTime(20, 38, 10), QTimeZone::utc());

void checkQueued(const QByteArray &message) {
    FUZZ_CHECK(!message.isEmpty() && message.size() <= 100);
    if (message.startsWith('2')) {
        FUZZ_CHECK(ipinput::contactIdLength(message) == message.size());
        // The Contact ID line reads "A" in an account as 0: a queued account never holds one.
        FUZZ_CHECK(!message.mid(1, message.size() - 13).contains('A'));
    } else {
        FUZZ_CHECK(message.startsWith('3') && message.endsWith('@'));
    }
}

// The rules every receipt keeps, whatever the bytes.
void checkReceipt(const Receipt &receipt, const QByteArray &bytes) {
    FUZZ_CHECK(receipt.consumed >= 0 && receipt.consumed <= bytes.size());
    const bool answered =
        receipt.kind != Receipt::Kind::Incomplete && receipt.kind != Receipt::Kind::Silent;
    FUZZ_CHECK(answered == !receipt.reply.isEmpty());
    const bool refused =
        receipt.kind != Receipt::Kind::Incomplete && receipt.kind != Receipt::Kind::Ack;
    FUZZ_CHECK(refused == !receipt.rejection.isEmpty());
    // Every answer and every refusal uses bytes up, so a stream always moves on.
    FUZZ_CHECK((receipt.kind == Receipt::Kind::Incomplete) == (receipt.consumed == 0));
    FUZZ_CHECK(receipt.messages.isEmpty() || receipt.kind == Receipt::Kind::Ack);
    for (const QByteArray &message : receipt.messages)
        checkQueued(message);
    if (answered) {
        // A reply is one whole frame with a right CRC and length.
        const dc09::FrameScan scan = dc09::scanFrame(receipt.reply);
        QByteArray rejection;
        FUZZ_CHECK(scan.status == dc09::FrameScan::Status::Whole);
        FUZZ_CHECK(scan.consumed == receipt.reply.size());
        FUZZ_CHECK(dc09::checkedBody(scan.frame, rejection).has_value());
        // Answered with its CRC in the form the frame used.
        FUZZ_CHECK(dc09::hasBinaryCrc(scan.frame) == receipt.binaryCrc);
    }
}

// Bodies parted by CR, each framed here with its CRC as two bytes, so the fuzzer reaches the
// rules past a binary CRC (whose bytes may be LF or CR) without having to find CRCs.
QByteArray binaryFramed(const QByteArray &bodies) {
    QByteArray stream;
    for (const QByteArray &body : bodies.split('\r'))
        stream += dc09::framed(body.left(0xFFF), true);
    return stream;
}

// The input as a TCP stream: frames one after the other until the rest is incomplete.
void readStream(QByteArray stream, const dc09::KeyLookup &keys,
                const dc09::ReceiveOptions &options) {
    while (true) {
        const Receipt receipt = dc09::receive(stream, keys, options, now);
        checkReceipt(receipt, stream);
        if (receipt.kind == Receipt::Kind::Incomplete)
            return;
        stream.remove(0, receipt.consumed);
    }
}

} // namespace

namespace fuzzentries {

// A key size and options byte, a key, then either a stream of frames or (with 0x80 in the first
// byte) the plain text of an encrypted frame, encrypted here so the fuzzer reaches the decrypted
// rules. With 0x40 the frames are framed here with binary CRCs: the stream as bodies parted by
// CR, or the encrypted frame.
void dc09(const QByteArray &input) {
    FuzzInput in(input);
    const quint8 mode = in.byte();
    const QByteArray key = in.field().leftJustified(16 + 8 * (mode % 3), '\0', true);
    const dc09::KeyLookup keys =
        [&key](const QByteArray &account) -> std::optional<dc09::AccountKey> {
        if (account.startsWith('9'))
            return std::nullopt;
        // An account starting with "8" has a key that also reads as 32 characters.
        return dc09::AccountKey{key, account.startsWith('8') ? key.toHex().left(32) : QByteArray()};
    };
    const dc09::ReceiveOptions options{(mode & 0x08) == 0, (mode & 0x10) != 0};
    FUZZ_CHECK(dc09::parseKey(key.toHex()) == key);
    QByteArray rest = in.rest();
    const bool binaryCrc = (mode & 0x40) != 0;
    if ((mode & 0x80) == 0)
        return readStream(binaryCrc ? binaryFramed(rest) : rest, keys, options);
    rest = rest.leftJustified((rest.size() + 15) / 16 * 16, 'p');
    const QByteArray cipherText = dc09::encrypt(key, rest).value_or(QByteArray());
    FUZZ_CHECK(dc09::decrypt(key, cipherText) == rest);
    readStream(dc09::framed("\"*SIA-DCS\"0001L0#1234[" + cipherText.toHex(), binaryCrc), keys,
               options);
}

} // namespace fuzzentries
