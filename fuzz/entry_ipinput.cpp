#include "fuzzentries.h"
#include "fuzzinput.h"

#include "accounts/accountnumbers.h"
#include "protocol/ipinput.h"

using namespace ipinput;

namespace {

void checkPoll(const PollText &poll, const QByteArray &message) {
    if (poll.kind != PollText::Kind::Supervised)
        return;
    // Stray characters are replaced, never added or removed.
    FUZZ_CHECK(poll.message.size() == message.size());
    FUZZ_CHECK(!poll.accountText.contains('#'));
    NumericalAccNum(poll.accountText);
}

void checkReport(const QByteArray &message, const QByteArray &data) {
    const std::optional<ReportText> report = recogniseReport(message, data);
    if (!report)
        return;
    FUZZ_CHECK(report->format == data.at(0));
    FUZZ_CHECK(report->message.size() <= message.size());
    FUZZ_CHECK(report->accountText.has_value() == (report->format != '9'));
    if (report->accountText)
        NumericalAccNum(*report->accountText);
}

} // namespace

namespace fuzzentries {

// The input is one read from a panel's connection, taken as the connection takes it.
void ipInput(const QByteArray &input) {
    QByteArray data = withoutPlusPrefix(input.left(readSize));
    const QByteArray text = messageText(data);
    FUZZ_CHECK(!text.contains('\0'));
    FUZZ_CHECK(text.size() <= data.size());
    QByteArray message = cutAtFirstCr(text);
    FUZZ_CHECK(message.size() <= text.size());
    if (const std::optional<qsizetype> n = contactIdLength(data))
        FUZZ_CHECK(*n >= 1 && *n <= data.size());
    if (message.isEmpty())
        return;
    const PollText poll = recognisePoll(message, data);
    checkPoll(poll, message);
    if (poll.kind == PollText::Kind::Supervised)
        message = poll.message;
    checkReport(message, data);
    // A poll that is answered and dropped leaves a data buffer that starts with a zero.
    data[0] = '\0';
    checkReport(message, data);
}

} // namespace fuzzentries
