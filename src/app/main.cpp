#include "commandline.h"
#include "displaycheck.h"
#include "durablequeues.h"
#include "headless.h"
#include "languagestart.h"
#include "messagefilter.h"
#include "monitor.h"
#include "signalwatcher.h"
#include "statusquery.h"
#include "ui/applicationicon.h"

#include "common/openfilelimit.h"
#include "common/version.h"

#include <QApplication>
#include <QLockFile>

#include <csignal>
#include <cstdio>

namespace {

QStringList argumentList(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

void print(std::FILE *stream, const QString &text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// Answers --help, --version and a refused command line; returns the exit code.
int answerWithoutRunning(CommandLine &commandLine, int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    switch (commandLine.action()) {
    case CommandLine::Action::ShowHelp:
        print(stdout, commandLine.helpText());
        return 0;
    case CommandLine::Action::ShowVersion:
        print(stdout, versionText + QLatin1Char('\n'));
        return 0;
    case CommandLine::Action::ShowStatus: {
        const StatusAnswer answer = askForStatus();
        print(answer.exitCode == 0 ? stdout : stderr,
              answer.exitCode == 0 ? answer.text : QStringLiteral("voduro: %1\n").arg(answer.text));
        return answer.exitCode;
    }
    default:
        print(stderr, QStringLiteral("voduro: %1\nTry 'voduro --help' for the options.\n")
                          .arg(commandLine.errorText()));
        return 1;
    }
}

int runWithWindows(int argc, char *argv[], const MonitorOptions &options) {
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(Monitor::productWord);
    QApplication::setWindowIcon(applicationIcon());
    startLanguageLayer();

    // Watched before the monitor starts, so that a stop signal during the start-up (which saves
    // the settings and opens ports) waits for the event loop instead of killing the program.
    // Ends the event loop directly: quit() would first try to close the main window, and a stop
    // signal is not an operator to be asked for the password. Queued, so that a signal seen
    // before the loop runs ends it once it does.
    SignalWatcher watcher;
    QObject::connect(
        &watcher, &SignalWatcher::terminationRequested, &application,
        [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    Monitor monitor(options);
    return monitor.exec();
}

int runWithoutWindows(int argc, char *argv[], const MonitorOptions &options) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(MonitorCore::productWord);
    startLanguageLayer();
    return runHeadless(options);
}

} // namespace

int main(int argc, char *argv[]) {
#ifndef Q_OS_WIN
    // Set once for the whole program: a file-size limit must fail a write (the journal, the
    // account file and the logs report it), not end the program with its queues in memory.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    CommandLine commandLine;
    commandLine.parse(argumentList(argc, argv));
    filterQtMessages(commandLine.showQtMessages());
    QCoreApplication::setApplicationName(MonitorCore::productWord);
    if (commandLine.action() == CommandLine::Action::Run ||
        commandLine.action() == CommandLine::Action::ShowStatus)
        commandLine.enterWorkDirectory();
    if (commandLine.action() != CommandLine::Action::Run)
        return answerWithoutRunning(commandLine, argc, argv);
    // One monitor per working directory: its queues and logs have one writer.
    QLockFile lock(workingDirectoryLockPath());
    QString reason;
    bool tookOverStale = false;
    if (!lockWorkingDirectory(lock, reason, &tookOverStale)) {
        print(stderr, QStringLiteral("voduro: %1\n").arg(reason));
        return 1;
    }
    MonitorOptions options = commandLine.monitorOptions();
    options.previousRunEndedCleanly = !tookOverStale;
    raiseOpenFileLimit(); // one descriptor per panel connection
    if (commandLine.headless())
        return runWithoutWindows(argc, argv, options);
    // Over ssh on a server the windows cannot open: the monitor runs as a service would, rather
    // than abort with advice to reinstall.
    if (!windowsCanOpen(argc, argv)) {
        print(stderr, QStringLiteral("No display found: running without windows (start with "
                                     "--headless to say so; set DISPLAY for the windows)\n"));
        return runWithoutWindows(argc, argv, options);
    }
    return runWithWindows(argc, argv, options);
}
