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
