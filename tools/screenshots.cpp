// Writes a PNG of every page of the main window and of the Coms Setup window, filled with
// sample messages, and one of the main window in German, into the directory named on the
// command line. Runs in a temporary working
// directory with its own settings, so it leaves the user's files alone.
#include "app/monitor.h"
#include "engine/engine.h"
#include "strings/languages.h"
#include "ui/comsetupwindow.h"
#include "ui/eventpages.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>

namespace {

struct Sample {
    const char *source;
    const char *message;
};

constexpr Sample samples[] = {
    {"1234567", "275A1181130010157"},
    {"0123456789", "2123456183999020304"},
    {"RX3", "17531555555551"},
    {"RX3", "1753112000000000000893"},
    {"10.0.0.7", "3D#2468xHNri1BA001y@"},
    {"10.0.0.7", "3D#2468xENBA001y@"},
    {"127.0.0.1", "POLL0A#I"},
};

void decodeSamples(Monitor &monitor) {
    for (const Sample &sample : samples) {
        monitor.engine().pendingMessages().append(sample.source, sample.message);
        monitor.engine().tick();
    }
}

bool save(QWidget &widget, const QDir &out, const QString &name) {
    QCoreApplication::processEvents();
    const QString path = out.filePath(name + QStringLiteral(".png"));
    const bool saved = widget.grab().save(path);
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write",
                 qPrintable(path));
    return saved;
}

QString slug(QString text) {
    return text.toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

// The main window in German, on the page it opens with, for the README.
bool saveGerman(const QDir &out) {
    if (!Languages::install(QStringLiteral("de"))) {
        std::fprintf(stderr, "no German translation found\n");
        return false;
    }
    Monitor monitor;
    decodeSamples(monitor);
    MainWindow &main = monitor.mainWindow();
    main.resize(1000, 640);
    main.show();
    const bool saved = save(main, out, QStringLiteral("main-de"));
    Languages::install(Languages::english);
    return saved;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    const QDir out(
        QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".")).absolutePath());
    QDir().mkpath(out.path());
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.path());
    qputenv("XDG_CONFIG_HOME", work.path().toLocal8Bit());

    bool ok = true;
    {
        Monitor monitor;
        decodeSamples(monitor);
        MainWindow &main = monitor.mainWindow();
        main.resize(1000, 640);
        main.show();
        EventPages *pages = main.pages();
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            ok &= save(main, out, QStringLiteral("main-") + slug(pages->tabText(page)));
        }
        ComSetupWindow &setup = monitor.comSetupWindow();
        setup.show();
        setup.adjustSize();
        ok &= save(setup, out, QStringLiteral("coms-setup"));
    }
    ok &= saveGerman(out);
    return ok ? 0 : 1;
}
