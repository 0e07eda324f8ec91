#include "fuzzentries.h"
#include "fuzzinput.h"

#include "decoder/messagedecoder.h"
#include "strings/eventtexts.h"

namespace {

bool hasControlByte(const QByteArray &line) {
    for (const char byte : line) {
        const auto value = static_cast<unsigned char>(byte);
        if (value < 0x20 || value == 0x7F)
            return true;
    }
    return false;
}

OutputFormat formatOf(quint8 flags) {
    switch (flags % 3) {
    case 0:
        return OutputFormat::None;
    case 1:
        return OutputFormat::HighSpeed;
    default:
        return OutputFormat::Basic;
    }
}

} // namespace

namespace fuzzentries {

// A format byte, the receiver number, the line and the source as fields, then the message: a
// pending message may come from a panel, another monitor or a restored journal.
void decoder(const QByteArray &input) {
    static const EventTexts texts;
    FuzzInput in(input);
    DecoderSettings settings;
    settings.format = formatOf(in.byte());
    settings.prefix.rr = in.field();
    settings.prefix.line = in.field();
    const QByteArray source = in.field();
    const QByteArray message = in.rest();

    const DecodeResult result = decodeMessage(source, message, settings, texts);
    // A control byte would end the automation software's line early and shift the rest.
    for (const QByteArray &line : result.lines)
        FUZZ_CHECK(!hasControlByte(line));
    for (const QByteArray &line : result.loggedLines)
        FUZZ_CHECK(result.lines.contains(line));
    for (const DecodedRow &row : result.rows)
        FUZZ_CHECK(!row.cells.isEmpty() && row.cells.front() == source);
    FUZZ_CHECK(result.rows.size() <= 2);
}

} // namespace fuzzentries
