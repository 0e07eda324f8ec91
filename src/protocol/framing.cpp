#include "protocol/framing.h"

#include "protocol/automationlines.h"

QByteArray frameLine(const QByteArray &line, const FramingOptions &options) {
    if (line == ipTestLine)
        return line;
    // A receiving monitor recognises a forwarded line by its leading "9" and takes it whole, so
    // it never carries a terminator.
    if (options.forwardToVoduro)
        return '9' + line;
    if (options.addTerminator)
        return line + static_cast<char>(options.terminator);
    return line + QByteArrayLiteral("\r\n");
}
