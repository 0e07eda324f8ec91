#pragma once

#include <optional>

// Whether the system clock is synchronised now (on Linux, adjtimex's view: not in its
// unsynchronised state); none where that cannot be read.
std::optional<bool> systemClockSynchronised();
