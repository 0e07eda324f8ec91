#include "protocol/dc09frame.h"

#include "protocol/dc09chars.h"
#include "protocol/dc09crc.h"

#include <string_view>

namespace dc09 {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isAlphanumeric(char c) {
    return isDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The ID goes into the refusal log as it is: visible characters only.
bool isPrintable(const QByteArray &text) {
    for (const char c : text) {
        if (c <= 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

std::optional<int> hexValue(const QByteArray &text) {
    if (!allHexDigits(text))
        return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok, 16);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// What follows a frame's LF: 4 hex digits of CRC or two CRC bytes (any values), then "0" and 3
// hex digits of length.
constexpr std::string_view hexCrcLayout = "xxxx0xxx";
constexpr std::string_view binaryCrcLayout = "..0xxx";

// True when the bytes from `from` on follow the layout as far as they go (a piece of a frame
// may still become one).
bool mayFollow(const QByteArray &bytes, qsizetype from, std::string_view layout) {
    for (qsizetype i = 0; i < qsizetype(layout.size()) && from + i < bytes.size(); ++i) {
        const char c = bytes.at(from + i);
        if ((layout[i] == 'x' && !isHexDigit(c)) || (layout[i] == '0' && c != '0'))
            return false;
    }
    return true;
}

// A binary CRC only where the hex form cannot be: every frame that reads as hex is read so.
bool mayBeBinaryCrc(const QByteArray &bytes, qsizetype lf) {
    return !mayFollow(bytes, lf + 1, hexCrcLayout) && mayFollow(bytes, lf + 1, binaryCrcLayout);
}

FrameScan fault(qsizetype consumed, QByteArray frame, const char *reason) {
    return FrameScan{FrameScan::Status::Fault, consumed, std::move(frame), reason};
}

// Reads a run of characters that satisfy `accepted` from `at`, at most `most` of them.
QByteArray takeWhile(const QByteArray &body, qsizetype &at, qsizetype most,
                     bool (*accepted)(char)) {
    const qsizetype start = at;
    while (at < body.size() && at - start < most && accepted(body.at(at)))
        ++at;
    return body.mid(start, at - start);
}

// "R" + 1-6 hex (optional), then "L" + 0-6 hex. Panels that were given no line number leave
// the "L" out; refusing them would leave their alarms unanswered for ever.
bool takeReceiverAndLine(const QByteArray &body, qsizetype &at, Header &header) {
    if (at < body.size() && body.at(at) == 'R') {
        ++at;
        header.receiver = takeWhile(body, at, 6, isHexDigit);
        if (header.receiver->isEmpty())
            return false;
    }
    if (at < body.size() && body.at(at) == 'L') {
        ++at;
        header.line = takeWhile(body, at, 6, isHexDigit);
    }
    return true;
}

} // namespace

FrameScan scanFrame(const QByteArray &bytes) {
    const qsizetype lf = bytes.indexOf('\n');
    if (lf < 0)
        return bytes.isEmpty() ? FrameScan{} : fault(bytes.size(), {}, "no LF before the bytes");
    // Two CRC bytes may be LF or CR: the end of such a frame is looked for after them.
    const qsizetype from = mayBeBinaryCrc(bytes, lf) ? lf + 3 : lf + 1;
    const qsizetype cr = bytes.indexOf('\r', from);
    const qsizetype nextLf = bytes.indexOf('\n', from);
    // A new LF before any CR starts the next frame: this one has lost its end.
    if (nextLf >= 0 && (cr < 0 || nextLf < cr))
        return fault(nextLf, bytes.mid(lf, nextLf - lf), "no CR at the end of the frame");
    if (cr < 0) {
        if (bytes.size() - lf > maxFrameSize)
            return fault(bytes.size(), bytes.mid(lf), "no CR within the longest frame");
        return FrameScan{};
    }
    return FrameScan{FrameScan::Status::Whole, cr + 1, bytes.mid(lf, cr - lf + 1), {}};
}

bool hasBinaryCrc(const QByteArray &frame) {
    return frame.size() > qsizetype(binaryCrcLayout.size()) && mayBeBinaryCrc(frame, 0);
}

std::optional<QByteArray> checkedBody(const QByteArray &frame, QByteArray &rejection) {
    const bool binary = hasBinaryCrc(frame);
    const qsizetype lengthAt = binary ? 3 : 5;
    if (frame.size() < lengthAt + 5) {
        rejection = "frame too short";
        return std::nullopt;
    }
    const std::optional<int> crc =
        binary ? std::optional<int>(quint8(frame.at(1)) << 8 | quint8(frame.at(2)))
               : hexValue(frame.mid(1, 4));
    const std::optional<int> length =
        frame.at(lengthAt) == '0' ? hexValue(frame.mid(lengthAt + 1, 3)) : std::nullopt;
    if (!crc || !length) {
        rejection = crc ? "length field not 0 and 3 hex digits" : "CRC field not 4 hex digits";
        return std::nullopt;
    }
    const QByteArray body = frame.mid(lengthAt + 4, frame.size() - lengthAt - 5);
    // Some panels compute the CRC over the closing CR as well.
    if (crc16(body) != *crc && crc16(body + '\r') != *crc) {
        rejection = "CRC";
        return std::nullopt;
    }
    if (body.size() != *length) {
        rejection = "length";
        return std::nullopt;
    }
    return body;
}

std::optional<Header> parseHeader(const QByteArray &body) {
    Header header;
    const qsizetype close = body.indexOf('"', 1);
    if (!body.startsWith('"') || close < 0)
        return std::nullopt;
    header.id = body.mid(1, close - 1);
    header.encrypted = header.id.startsWith('*');
    if (header.encrypted)
        header.id.remove(0, 1);
    qsizetype at = close + 1;
    header.sequence = takeWhile(body, at, 4, isDigit);
    if (header.id.isEmpty() || !isPrintable(header.id) || header.sequence.size() != 4 ||
        !takeReceiverAndLine(body, at, header))
        return std::nullopt;
    if (at >= body.size() || body.at(at) != '#')
        return std::nullopt;
    ++at;
    header.account = takeWhile(body, at, 16, isAlphanumeric);
    if (header.account.size() < 3 || at >= body.size() || body.at(at) != '[')
        return std::nullopt;
    header.content = body.mid(at + 1);
    return header;
}

} // namespace dc09
