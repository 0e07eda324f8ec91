#include "fuzzentries.h"
#include "fuzzinput.h"

#include "protocol/automationlines.h"
#include "protocol/framing.h"
#include "protocol/queuedlinetext.h"

#include <algorithm>
#include <cctype>

namespace {

bool isControlByte(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return value < 0x20 || value == 0x7F;
}

void checkContactId(const QByteArray &message, const LinePrefix &prefix) {
    const QByteArray header = "5" + prefix.rr + prefix.line + " 18";
    const QByteArray line = contactIdLine(message, prefix);
    FUZZ_CHECK(line.startsWith(header));
    // Account, qualifier, event code, group and zone: the check digit is never sent.
    const qsizetype expected = isValidContactId(message) ? message.size() - 13 + 9 : 0;
    FUZZ_CHECK(line.size() == header.size() + expected);
}

void checkFastFormat(const QByteArray &message, const LinePrefix &prefix) {
    FUZZ_CHECK(fastFormatLines(message, prefix, OutputFormat::None).isEmpty());
    const QList<QByteArray> high = fastFormatLines(message, prefix, OutputFormat::HighSpeed);
    FUZZ_CHECK(high.size() == (message.size() >= 11 ? 1 : 0));
    const QByteArray basicHead = "1" + prefix.rr + prefix.line;
    for (const QByteArray &line : fastFormatLines(message, prefix, OutputFormat::Basic)) {
        FUZZ_CHECK(line.startsWith(basicHead));
        // The zone is always a two-digit field.
        FUZZ_CHECK(line.size() >= 2 && std::isdigit(quint8(line.at(line.size() - 1))) &&
                   std::isdigit(quint8(line.at(line.size() - 2))));
    }
}

void checkPollLines(FuzzInput &in, const LinePrefix &prefix, bool sia) {
    const QByteArray acc4 = in.field();
    const QByteArray pollCode = in.field();
    const QByteArray siaCode = in.field();
    const QByteArray failure = pollFailureLine(acc4, prefix, sia, pollCode, siaCode);
    const QByteArray restore = pollRestoreLine(acc4, prefix, sia, pollCode, siaCode);
    FUZZ_CHECK(failure.size() == restore.size());
    FUZZ_CHECK(failure.startsWith(sia ? "S" : "5") && (!sia || failure.endsWith("000]")));
}

void checkFraming(const QByteArray &line, quint8 flags, quint8 terminator) {
    const FramingOptions options{bool(flags & 2), bool(flags & 4), terminator};
    const QByteArray framed = frameLine(line, options);
    if (line == ipTestLine)
        FUZZ_CHECK(framed == line);
    else if (options.forwardToVoduro)
        FUZZ_CHECK(framed == '9' + line);
    else
        FUZZ_CHECK(framed.startsWith(line) &&
                   framed.size() == line.size() + (options.addTerminator ? 1 : 2));
}

void checkReceiverLines(const QByteArray &text) {
    for (const QByteArray &line : receiverLines(text)) {
        FUZZ_CHECK(!line.isEmpty());
        FUZZ_CHECK(std::none_of(line.begin(), line.end(), isControlByte));
    }
}

} // namespace

namespace fuzzentries {

// Flags, the receiver number and line, the poll line fields and a terminator, then the message.
void automationLines(const QByteArray &input) {
    FuzzInput in(input);
    const quint8 flags = in.byte();
    LinePrefix prefix;
    prefix.rr = in.field();
    prefix.line = in.field();
    checkPollLines(in, prefix, flags & 1);
    const quint8 terminator = in.byte();
    const QByteArray message = in.rest();

    checkContactId(message, prefix);
    checkFastFormat(message, prefix);
    const QByteArray sia = siaLine(message, prefix);
    FUZZ_CHECK(sia.startsWith("S" + prefix.rr + prefix.line + "[#") && sia.endsWith(']'));
    FUZZ_CHECK(forwardedLine(message).size() <= 50);
    const QByteArray blanked = blankControlBytes(message);
    FUZZ_CHECK(blanked.size() == message.size());
    FUZZ_CHECK(std::none_of(blanked.begin(), blanked.end(), isControlByte));
    checkFraming(blanked, flags, terminator);
    checkReceiverLines(message);
}

} // namespace fuzzentries
