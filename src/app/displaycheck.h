#pragma once

// Whether the windowed monitor can open its windows here. On Linux and the other X11/Wayland
// systems: false when no display is named at all (neither DISPLAY nor WAYLAND_DISPLAY) and no
// Qt platform is chosen, and false when the platform Qt would take cannot be started (a display
// that is named but cannot be reached). Elsewhere always true. Call it before any application
// object exists and before any thread is started: it tries the platform in a child process, so
// that a failure ends that child and not this program.
bool windowsCanOpen(int argc, char *argv[]);
