#include "openfilelimit.h"

#include <QtGlobal>

#ifndef Q_OS_WIN
#include <sys/resource.h>
#endif

OpenFileLimit raiseOpenFileLimit() {
    OpenFileLimit result;
#ifndef Q_OS_WIN
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return result;
    result.before = static_cast<long long>(limit.rlim_cur);
    result.after = result.before;
    if (limit.rlim_cur == limit.rlim_max)
        return result;
    rlimit raised = limit;
    raised.rlim_cur = limit.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
        result.after = static_cast<long long>(raised.rlim_cur);
#endif
    return result;
}
