#include "durablequeues.h"
#include "languagestart.h"
#include "monitor.h"
#include "signalwatcher.h"
#include "ui/applicationicon.h"

#include <QApplication>
#include <QLockFile>

#include <cstdio>

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(Monitor::productWord);
    QApplication::setWindowIcon(applicationIcon());
    startLanguageLayer();

    QLockFile lock(workingDirectoryLockPath());
    QString reason;
    if (!lockWorkingDirectory(lock, reason)) {
        std::fprintf(stderr, "%s\n", qPrintable(reason));
        return 1;
    }
    Monitor monitor;
    SignalWatcher watcher;
    // Ends the event loop directly: quit() would first try to close the main window, and a stop
    // signal is not an operator to be asked for the password.
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &application,
                     [] { QCoreApplication::exit(0); });
    return monitor.exec();
}
