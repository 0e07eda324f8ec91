#pragma once

#include <QIcon>

// The monitor's own icon: the windows', the tray's and the desktop entry's.
QIcon applicationIcon();
