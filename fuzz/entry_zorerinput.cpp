#include "fuzzentries.h"
#include "fuzzinput.h"

#include "protocol/messageaccount.h"
#include "protocol/zorerinput.h"

namespace {

bool isFormatDigit(char c) {
    return c == '1' || c == '2' || c == '3';
}

void acceptOn(const QByteArray &text, CallState &state, quint8 flags) {
    int lookups = 0;
    const AcceptanceResult accepted =
        acceptMessage(text, state, [&lookups, flags](const MessageAccount &account) {
            ++lookups;
            if (account.refused())
                return AccountVerdict::NotConvertible;
            return (flags & 4) ? AccountVerdict::Refuse : AccountVerdict::Acknowledge;
        });
    FUZZ_CHECK(lookups <= 1);
    if (!accepted.accepted)
        return;
    // Only a message with a format digit and an account its form allows is acknowledged.
    FUZZ_CHECK(lookups == 1 && !(flags & 4));
    FUZZ_CHECK(accepted.text.isEmpty());
    FUZZ_CHECK(isFormatDigit(accepted.accepted->at(0)));
    FUZZ_CHECK(!messageAccount(*accepted.accepted).refused());
}

} // namespace

namespace fuzzentries {

// The first byte sets the slot's call state and the account verdict; the rest is the slot's
// texts, one per tick, parted by RS (0x1E).
void zorerInput(const QByteArray &input) {
    FuzzInput in(input);
    const quint8 flags = in.byte();
    CallState state;
    state.lineConnected = flags & 1;
    state.callByCom = flags & 2;
    for (const QByteArray &text : in.texts('\x1e')) {
        const ScanResult scan = callControlScan(text, state);
        if (scan.forwarded) {
            FUZZ_CHECK(scan.forwarded->startsWith('9'));
            FUZZ_CHECK(scan.text.isEmpty());
        }
        if (state.lineConnected)
            acceptOn(scan.text, state, flags);
    }
}

} // namespace fuzzentries
