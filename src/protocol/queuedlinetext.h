#pragma once

#include <QByteArray>
#include <QList>

// The automation software ends a line at its terminator byte (DC4 by default) or at CR / LF. A
// control byte inside a queued line would end that line early there and turn the rest into a
// line of its own, so every byte below 0x20, and 0x7F, becomes a blank before a line is queued.
// Printable bytes are never touched, a printable terminator byte included.
QByteArray blankControlBytes(QByteArray line);

// Text from another receiver may hold several finished lines, each ended by DC4, CR or LF: the
// lines in order, the empty ones left out, with their other control bytes blanked.
QList<QByteArray> receiverLines(const QByteArray &text);
