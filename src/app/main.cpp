#include "monitor.h"
#include "signalwatcher.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);

    // The language layer: the program's own texts are English; a translation, when one is
    // installed beside the Qt translations, replaces them.
    QTranslator translator;
    if (translator.load(QLocale(), QStringLiteral("voduro"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
    QCoreApplication::setApplicationName(Monitor::productWord);

    Monitor monitor;
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &application,
                     &QCoreApplication::quit);
    return monitor.exec();
}
