#pragma once

#include <QString>

// The status command: asks the monitor running in the current directory over its local socket.
struct StatusAnswer {
    // What `systemctl status` would exit with: 0 running, 3 not running, 4 unknown (a monitor
    // holds the directory but gives no answer).
    int exitCode = 3;
    QString text; // the monitor's report, or why there is none
};
StatusAnswer askForStatus();
