#pragma once

#include <QByteArray>

namespace dc09 {

// CRC-16/ARC (polynomial 0x8005 reflected, start 0, no final XOR), as DC-09 frames carry it.
quint16 crc16(const QByteArray &bytes);

} // namespace dc09
