#include "displaycheck.h"

#include <QtGlobal>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
#include <QGuiApplication>

#include <cerrno>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A platform that cannot start ends the program with a fatal message (and a core dump): in the
// trying child, that message ends the child quietly instead. The child says nothing: what the
// user reads is the one line of the program that falls back.
void endChildOnFatal(QtMsgType type, const QMessageLogContext &, const QString &) {
    if (type == QtFatalMsg)
        ::_exit(1);
}

[[noreturn]] void tryPlatformAndExit(int argc, char *argv[]) {
    // The child is no program of the desktop session: it must not register with its manager.
    qunsetenv("SESSION_MANAGER");
    qInstallMessageHandler(endChildOnFatal);
    QGuiApplication trial(argc, argv);
    // No destructors: nothing of the parent's (its lock file above all) is to be cleaned up here.
    ::_exit(0);
}

bool platformStartsInChild(int argc, char *argv[]) {
    const pid_t child = ::fork();
    if (child < 0)
        return true; // cannot try: start as always
    if (child == 0)
        tryPlatformAndExit(argc, argv);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return true;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

bool windowsCanOpen(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return false;
    return platformStartsInChild(argc, argv);
}

#else

bool windowsCanOpen(int, char *[]) {
    return true;
}

#endif
