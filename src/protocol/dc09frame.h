#pragma once

#include <QByteArray>
#include <optional>

// The outer layer of a DC-09 frame: LF, 4 hex CRC, "0" + 3 hex length, the body, CR; and the
// body's header ("ID", sequence, receiver, line, account) up to the "[" of its content. Some
// panels send the CRC as two bytes, high byte first, in place of the 4 hex digits.
namespace dc09 {

// Longest frame a 3-digit hex length allows: LF, 8 characters of CRC and length, body, CR.
inline constexpr qsizetype maxFrameSize = 1 + 8 + 0xFFF + 1;

struct FrameScan {
    enum class Status {
        Incomplete, // no CR yet after the LF
        Fault,      // bytes that cannot be a frame: dropped without an answer
        Whole,      // LF ... CR, still to be checked
    };
    Status status = Status::Incomplete;
    qsizetype consumed = 0; // bytes used up from the start of the input (0 when incomplete)
    QByteArray frame;       // from the LF to its CR (to the next LF when the CR is missing)
    QByteArray rejection;
};

// Finds the first frame in the input; bytes before its LF are used up with it. A frame's end is
// looked for after its CRC, so CRC bytes equal to LF or CR do not end it.
FrameScan scanFrame(const QByteArray &bytes);

// True when the frame (from its LF) carries its CRC as two bytes: what follows the LF is laid out
// as two bytes and "0" + 3 hex length, and not as 4 hex digits and the length.
bool hasBinaryCrc(const QByteArray &frame);

// The body of a whole frame (between the length field and the CR) when its CRC (with or without
// the CR, in either form) and its length are right; otherwise none, with the reason.
std::optional<QByteArray> checkedBody(const QByteArray &frame, QByteArray &rejection);

struct Header {
    bool encrypted = false;
    QByteArray id;                      // without the "*"
    QByteArray sequence;                // 4 digits
    std::optional<QByteArray> receiver; // the hex digits after "R", when sent
    // The hex digits after "L" (may be empty); none when the panel sends no "L" at all, which
    // is taken as line 0 like a bare "L".
    std::optional<QByteArray> line;
    QByteArray account; // after "#"
    QByteArray content; // everything after the "["
    // From the frame, not the body: its CRC came as two bytes, and its replies are framed so.
    bool binaryCrc = false;
};

// None when the body does not follow the header layout.
std::optional<Header> parseHeader(const QByteArray &body);

} // namespace dc09
