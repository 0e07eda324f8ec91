#include "protocol/queuedlinetext.h"

namespace {

bool isControlByte(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return value < 0x20 || value == 0x7F;
}

bool endsReceiverLine(char byte) {
    return byte == '\x14' || byte == '\r' || byte == '\n';
}

} // namespace

QByteArray blankControlBytes(QByteArray line) {
    for (char &byte : line) {
        if (isControlByte(byte))
            byte = ' ';
    }
    return line;
}

QList<QByteArray> receiverLines(const QByteArray &text) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !endsReceiverLine(text.at(i)))
            continue;
        if (i > start)
            lines.append(blankControlBytes(text.mid(start, i - start)));
        start = i + 1;
    }
    return lines;
}
