#include "fuzzentries.h"
#include "fuzzinput.h"

#include "decoder/messagedecoder.h"
#include "protocol/messageaccount.h"
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

// Every line the message becomes names the account the receivers read from the message, and
// none when they read none: the rules and the automation software see one account.
void checkLineAccounts(const QByteArray &message, const DecodeResult &result) {
    const MessageAccount account = messageAccount(message);
    if (account.refused())
        return; // never queued
    for (const QByteArray &line : result.lines) {
        const MessageAccount carried = automationLineAccount(line);
        FUZZ_CHECK(carried.kind == account.kind);
        FUZZ_CHECK(carried.text == account.text && carried.number == account.number);
    }
    FUZZ_CHECK(result.decodedAccount ==
               (account.named() ? std::optional(account.number) : std::nullopt));
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
    FUZZ_CHECK(result.rows.size() <= 1);
    // The automation software's lines have their receiver number and line in two characters and
    // one; the account is read in that layout.
    if (settings.prefix.rr.size() == 2 && settings.prefix.line.size() == 1)
        checkLineAccounts(message, decodeMessage(source, message, settings, texts));
}

} // namespace fuzzentries
