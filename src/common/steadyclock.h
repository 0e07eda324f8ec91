#pragma once

#include <QtGlobal>
#include <chrono>

// The monotonic clock of every interval the program measures (time limits, latencies, the
// tick's liveness): it never steps with the time of day. Its values mean nothing alone.
inline qint64 steadyNowNs() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

inline qint64 steadyNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

inline qint64 steadyNowSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(steady_clock::now().time_since_epoch()).count();
}
