#pragma once

#include <QByteArray>

struct FramingOptions {
    bool forwardToVoduro = false; // "Forward to Voduro": "9" + line, no terminator
    bool addTerminator = true;    // "Add ----->": line + the terminator byte
    quint8 terminator = 0x14;     // T, DC4 by default
};

// The bytes sent for a queued line: "IP TEST" bare; "9" + line when forwarding; line + T when
// the terminator is added; line + CR LF otherwise.
QByteArray frameLine(const QByteArray &line, const FramingOptions &options);
