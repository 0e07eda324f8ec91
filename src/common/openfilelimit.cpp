#include "openfilelimit.h"

#include <QtGlobal>
#include <algorithm>

#ifndef Q_OS_WIN
#include <sys/resource.h>
#endif

namespace {

// What the monitor holds open at once besides its panels, at most, counted by what holds it.
constexpr int standardStreams = 3;
constexpr int workDirectoryLock = 1;   // Voduro.lock, held while the monitor runs
constexpr int stopSignalPair = 2;      // the socket pair that carries SIGTERM and SIGINT
constexpr int eventLoopWakeUps = 3;    // the main and watch threads', one for Qt's own threads
constexpr int serviceNotifySocket = 1; // NOTIFY_SOCKET
constexpr int txLink = 3;              // its connection, the one it replaces, the self-test's
constexpr int logAppend = 1;           // one log line at a time, under the log lock
constexpr int queueJournal = 3;        // the file, its save file, the directory when compacted
constexpr int repeatMemory = 2;        // the file and its rewrite
constexpr int storedFileAccess = 3;    // settings saved (file, backup copy), accounts or keys
constexpr int serialLines = 6;         // lines 1, 2 and 5: the device and its lock file each
constexpr int receiverSockets = 2;     // the TCP listener and the UDP socket
constexpr int nameLookUps = 4;         // resolver sockets and files, time zone files
constexpr int fixedDescriptors = standardStreams + workDirectoryLock + stopSignalPair +
                                 eventLoopWakeUps + serviceNotifySocket + txLink + logAppend +
                                 queueJournal + repeatMemory + storedFileAccess + serialLines +
                                 receiverSockets + nameLookUps;
// Per I/O thread: its epoll and its wake-up, and a connection accepted only to be refused.
constexpr int perIoThread = 3;
// For what no count above foresees (the windows' display connection, fonts, a desktop bus).
constexpr int minimumMargin = 64;

} // namespace

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

long long openFileLimitNow() {
#ifndef Q_OS_WIN
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        return static_cast<long long>(limit.rlim_cur);
#endif
    return -1;
}

int reservedDescriptors(int ioThreads, int watchDescriptors) {
    const int own = fixedDescriptors + perIoThread * ioThreads + watchDescriptors;
    return own + std::max(minimumMargin, own / 10);
}

ConnectionLimit connectionLimit(int setting, long long openFiles, int reserved) {
    ConnectionLimit limit{setting, setting, openFiles, reserved};
    if (openFiles >= 0 && openFiles - reserved < setting)
        limit.inEffect = int(std::max<long long>(1, openFiles - reserved));
    return limit;
}
