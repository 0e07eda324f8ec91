#include "clocksync.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <sys/timex.h>
#endif

std::optional<bool> systemClockSynchronised() {
#ifdef Q_OS_LINUX
    timex reading{}; // modes 0: read only
    const int state = ::adjtimex(&reading);
    if (state == -1)
        return std::nullopt;
    return state != TIME_ERROR;
#else
    return std::nullopt;
#endif
}
