#include "languagestart.h"
#include "monitor.h"
#include "signalwatcher.h"
#include "ui/applicationicon.h"

#include "common/openfilelimit.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    raiseOpenFileLimit(); // one descriptor per panel connection
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(Monitor::productWord);
    QApplication::setWindowIcon(applicationIcon());
    startLanguageLayer();

    Monitor monitor;
    SignalWatcher watcher;
    // Ends the event loop directly: quit() would first try to close the main window, and a stop
    // signal is not an operator to be asked for the password.
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &application,
                     [] { QCoreApplication::exit(0); });
    return monitor.exec();
}
