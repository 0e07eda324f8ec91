// Writes a PNG of every page of the main window and of the Coms Setup window, filled with
// sample messages (enough Contact ID reports for the list to scroll), into the directory named
// on the command line. A second argument names the language ("de"); its compiled translation
// must be where the program looks for translations. Runs in a temporary working directory with
// its own settings and a fixed clock, so it leaves the user's files alone and the pictures stay
// the same from run to run.
#include "app/monitor.h"
#include "common/datetimetext.h"
#include "engine/engine.h"
#include "strings/languages.h"
#include "ui/comsetupwindow.h"
#include "ui/eventpages.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <array>
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

// Contact ID reports from a few panels: new events and restores, zones counting up.
QByteArray contactIdReport(int n) {
    static const std::array<const char *, 5> accounts{"1234", "75A1", "0420", "3316", "5002"};
    static const std::array<const char *, 6> events{"130", "110", "401", "301", "602", "120"};
    const char qualifier = n % 4 == 3 ? '3' : '1';
    return QByteArray("2") + accounts[size_t(n) % accounts.size()] + "18" + qualifier +
           events[size_t(n) % events.size()] + "01" +
           QByteArray::number(n + 1).rightJustified(3, '0') + "7";
}

void decode(Monitor &monitor, const QByteArray &source, const QByteArray &message) {
    monitor.engine().pendingMessages().append(source, message);
    monitor.engine().tick();
}

void decodeSamples(Monitor &monitor) {
    for (const Sample &sample : samples)
        decode(monitor, sample.source, sample.message);
    for (int n = 0; n < 40; ++n)
        decode(monitor, QByteArrayLiteral("10.0.0.") + QByteArray::number(10 + n % 5),
               contactIdReport(n));
}

// Every row a little later than the one before, from a fixed morning on.
void useSteppingClock() {
    Clock::setNowFunction([] {
        static QDateTime moment(QDate(2026, 12, 9), QTime(8, 0, 5));
        moment = moment.addSecs(37);
        return moment;
    });
}

bool save(QWidget &widget, const QDir &out, const QString &name) {
    QCoreApplication::processEvents();
    const QString path = out.filePath(name + QStringLiteral(".png"));
    const bool saved = widget.grab().save(path);
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write",
                 qPrintable(path));
    return saved;
}

const std::array<const char *, 6> pageNames{"contact-id", "fast-format", "sia",
                                            "polling",    "tx-pending",  "polling-accounts"};

} // namespace

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    const QDir out(
        QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".")).absolutePath());
    const QString language = argc > 2 ? QString::fromLocal8Bit(argv[2]) : Languages::english;
    if (!Languages::install(language)) {
        std::fprintf(stderr, "no translation for %s\n", qPrintable(language));
        return 1;
    }
    QDir().mkpath(out.path());
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.path());
    qputenv("XDG_CONFIG_HOME", work.path().toLocal8Bit());
    useSteppingClock();

    Monitor monitor;
    decodeSamples(monitor);
    MainWindow &main = monitor.mainWindow();
    main.resize(1000, 640);
    main.show();
    bool ok = true;
    EventPages *pages = main.pages();
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        ok &= save(main, out, QStringLiteral("main-") + QString::fromLatin1(pageNames.at(page)));
    }
    ComSetupWindow &setup = monitor.comSetupWindow();
    setup.show();
    setup.adjustSize();
    ok &= save(setup, out, QStringLiteral("coms-setup"));
    return ok ? 0 : 1;
}
