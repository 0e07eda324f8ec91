#pragma once

#include <QProcessEnvironment>

// This process's environment as on a server reached over ssh: no display of any kind and no Qt
// platform chosen (no DISPLAY, WAYLAND_DISPLAY nor QT_QPA_PLATFORM).
QProcessEnvironment displaylessEnvironment();
