#pragma once

#include "support/enginefixture.h"
#include "ui/comsetupwindow.h"
#include "ui/mainwindow.h"

#include <QtTest>

// Both windows over a full engine in a temporary working directory, as the program wires them.
struct WindowFixture : EngineFixture {
    ComSetupWindow setup{{settings, engine, logs, dialogs, txQueue}};
    MainWindow main{{engine, lists, txQueue, dialogs, settings, logs}};

    WindowFixture() { main.setComSetupWindow(&setup); }

    // The control of either window with this object name; null, with a warning, when missing.
    template <typename T> T *control(const QString &name) {
        T *found = setup.findChild<T *>(name);
        if (!found)
            found = main.findChild<T *>(name);
        if (!found)
            qWarning("no control %s", qPrintable(name));
        return found;
    }
};
