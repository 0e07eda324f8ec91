#pragma once

// Every panel connection of the IP receiver holds a descriptor, and so does every log append
// while it writes: a desktop session's usual soft limit of 1,024 open files would refuse panels
// long before the machine runs out of anything else. Called once at start-up, before any thread
// starts.
struct OpenFileLimit {
    long long before = -1; // the soft limit found; -1 where the platform has none
    long long after = -1;  // the soft limit in force now
};

// Raises the process's soft open-file limit to its hard limit. Nothing changes where the hard
// limit is unlimited and the system refuses that (macOS), nor on Windows, which has no such
// limit for sockets.
OpenFileLimit raiseOpenFileLimit();

// The soft open-file limit in force now; -1 where there is none (unlimited, or Windows).
long long openFileLimitNow();

// The descriptors the monitor keeps for its own work beside its panel connections, so that
// panels can never take the last ones: the Tx link must still reach a restarted automation
// receiver, a log line be written and the status command be answered while every panel slot is
// taken. `ioThreads` is the receiver's thread count, `watchDescriptors` what the metrics page
// and the status socket may hold (their listeners and connection caps). The formula is the
// README's.
int reservedDescriptors(int ioThreads, int watchDescriptors);

// The limit of open panel connections the receiver applies: the lower of "Max Connections"
// (`setting`) and the open-file limit less the reserve, at least 1.
struct ConnectionLimit {
    int setting = 0;
    int inEffect = 0;
    long long openFiles = -1; // -1: no open-file limit
    int reserved = 0;
    bool reduced() const { return inEffect < setting; }
};
ConnectionLimit connectionLimit(int setting, long long openFiles, int reserved);
