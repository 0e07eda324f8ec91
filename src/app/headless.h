#pragma once

struct MonitorOptions;

// Runs the whole monitor without any window until SIGTERM or SIGINT, then shuts it down in the
// shutdown order; returns the exit code. Needs a QCoreApplication and nothing of a display.
int runHeadless(const MonitorOptions &options);
