#include "journalformat.h"

#include <QtEndian>
#include <array>

namespace journalformat {

namespace {

const QByteArray magic("VDQJ");
const QByteArray marker("\xA5\x5A\xC3\x3C", 4);

std::array<quint32, 256> makeCrcTable() {
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

quint32 readU32(const QByteArray &bytes, qsizetype at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// The payload length of a whole record at `at`, or -1 when no whole record starts there.
qsizetype wholeRecordAt(const QByteArray &bytes, qsizetype at) {
    if (bytes.size() - at < recordHeaderSize)
        return -1;
    if (bytes.mid(at, marker.size()) != marker)
        return -1;
    const quint32 length = readU32(bytes, at + 4);
    if (length > maxPayload || qsizetype(length) > bytes.size() - at - recordHeaderSize)
        return -1;
    if (crc32(bytes.constData() + at + recordHeaderSize, length) != readU32(bytes, at + 8))
        return -1;
    return length;
}

qsizetype nextWholeRecord(const QByteArray &bytes, qsizetype from) {
    for (qsizetype at = bytes.indexOf(marker, from); at >= 0; at = bytes.indexOf(marker, at + 1)) {
        if (wholeRecordAt(bytes, at) >= 0)
            return at;
    }
    return -1;
}

} // namespace

QByteArray fileHeader() {
    QByteArray header = magic;
    char version[2];
    qToLittleEndian<quint16>(formatVersion, version);
    header.append(version, 2);
    header.append(2, '\0');
    return header;
}

QByteArray recordMarker() {
    return marker;
}

quint32 crc32(const char *data, qsizetype size) {
    static const std::array<quint32, 256> table = makeCrcTable();
    quint32 c = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i)
        c = table[(c ^ static_cast<quint8>(data[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

QByteArray encodeRecord(const QByteArray &payload) {
    QByteArray record = marker;
    char numbers[8];
    qToLittleEndian<quint32>(quint32(payload.size()), numbers);
    qToLittleEndian<quint32>(crc32(payload.constData(), payload.size()), numbers + 4);
    record.append(numbers, 8);
    record.append(payload);
    return record;
}

ReadResult readJournal(const QByteArray &bytes) {
    ReadResult result;
    result.headerValid = bytes.startsWith(fileHeader());
    qsizetype at = result.headerValid ? headerSize : 0;
    result.validEnd = at;
    while (at < bytes.size()) {
        const qsizetype length = wholeRecordAt(bytes, at);
        if (length >= 0) {
            result.payloads.append(bytes.mid(at + recordHeaderSize, length));
            at += recordHeaderSize + length;
            result.validEnd = at;
            continue;
        }
        const qsizetype next = nextWholeRecord(bytes, at + 1);
        if (next < 0) {
            result.tailBytes = bytes.size() - at;
            break;
        }
        result.skippedBytes += next - at;
        at = next;
    }
    return result;
}

} // namespace journalformat
