#pragma once

// The headers the test programs include, precompiled once for the tests of the window layers and
// once for the others. The module headers are taken whole: most tests include them, and a
// precompiled header costs little to load however much it holds.
#include <QtNetwork>
#include <QtTest>

#ifdef QT_WIDGETS_LIB
#include <QtWidgets>
#endif
