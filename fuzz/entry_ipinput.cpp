#include "fuzzentries.h"
#include "fuzzinput.h"

#include "protocol/ipinput.h"
#include "protocol/messageaccount.h"

using namespace ipinput;

namespace {

void checkPoll(const PollText &poll, const QByteArray &message) {
    if (poll.kind != PollText::Kind::Supervised)
        return;
    // Stray characters are replaced, never added or removed.
    FUZZ_CHECK(poll.message.size() == message.size());
    // What lies between "POLL" and "#" is made of digits and capitals.
    const MessageAccount account = messageAccount(poll.message);
    FUZZ_CHECK(!account.named() || !account.text.contains('#'));
}

void checkReport(const QByteArray &message, const QByteArray &data) {
    const std::optional<ReportText> report = recogniseReport(message, data);
    if (!report)
        return;
    FUZZ_CHECK(report->format == data.at(0));
    FUZZ_CHECK(report->message.size() <= message.size());
    FUZZ_CHECK(report->message.startsWith(report->format));
    messageAccount(report->message);
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
}

} // namespace fuzzentries
