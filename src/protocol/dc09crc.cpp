#include "protocol/dc09crc.h"

namespace dc09 {

quint16 crc16(const QByteArray &bytes) {
    quint16 crc = 0;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) != 0 ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return crc;
}

} // namespace dc09
