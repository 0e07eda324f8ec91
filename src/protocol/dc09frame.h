#pragma once

#include <QByteArray>
#include <optional>

// The outer layer of a DC-09 frame: LF, 4 hex CRC, "0" + 3 hex length, the body, CR; and the
// body's header ("ID", sequence, receiver, line, account) up to the "[" of its content.
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

// Finds the first frame in the input; bytes before its LF are used up with it.
FrameScan scanFrame(const QByteArray &bytes);

// The body of a whole frame (between the length field and the CR) when its CRC (with or without
// the CR) and its length are right; otherwise none, with the reason.
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
};

// None when the body does not follow the header layout.
std::optional<Header> parseHeader(const QByteArray &body);

} // namespace dc09
