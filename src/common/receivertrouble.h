#pragma once

#include <cstddef>

// The monitor's own troubles, which the automation software learns of as Contact ID events
// under the receiver account. Each has its own line; start-up is an event without a restore.
enum class ReceiverTrouble {
    ZorerUda1Lost,     // the device of a started Zorer-Uda 1 went away
    ZorerUda2Lost,     // the same for Zorer-Uda 2
    JournalNotStoring, // the queue journal cannot store: no panel is acknowledged
    IpRestarted,       // the self-test went unanswered and restarted the IP receiver
    IpPortNotOpened,   // the IP receiver's port could not be opened
    ClockUnsynchronised,
    ConnectionLimitReached,
    Count
};

constexpr std::size_t troubleIndex(ReceiverTrouble trouble) {
    return static_cast<std::size_t>(trouble);
}
constexpr std::size_t troubleCount = troubleIndex(ReceiverTrouble::Count);

// Where a trouble arises, it is said here, from any thread: open or no longer. Saying the state
// it already has changes nothing.
class TroubleReports {
public:
    virtual ~TroubleReports() = default;
    virtual void troubleState(ReceiverTrouble trouble, bool open) = 0;
};
