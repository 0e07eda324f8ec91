#pragma once

#include "protocol/dc09receipt.h"

#include <functional>

class Dc09Keys;
class NotedAccounts;
class RepeatedMessages;

// The DC-09 options as the Coms Setup window holds them at the moment of a frame.
struct Dc09Options {
    bool enabled = true; // off: a text starting with LF is taken by the bare-IP rules
    dc09::ReceiveOptions receive;
};

// What DC-09 frames need beyond the receiver's own services; safe to use from any thread.
struct Dc09Services {
    const Dc09Keys *keys = nullptr;             // none: every encrypted frame is refused
    RepeatedMessages *repeated = nullptr;       // none: repeats are queued again
    std::function<Dc09Options()> options;       // empty: the defaults above
    NotedAccounts *withoutLineNumber = nullptr; // none: the note comes with every such frame
    NotedAccounts *binaryCrc = nullptr;         // the same for a CRC sent as two bytes
};
