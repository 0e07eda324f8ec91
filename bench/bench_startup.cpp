// Start-up to listening: the real program, started with an empty working directory (no journal,
// no account file, no logs) and settings that start the IP receiver, from its exec to the first
// successful TCP connect on 127.0.0.1. Runs the windowed program (offscreen) and the headless one
// several times each and prints every time, the median and the best.
//
//   bench_startup [runs of each, default 7]

#include "benchengine.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Connects again and again until the program accepts; the time since exec in ms, or -1.
double untilListening(QProcess &process, quint16 port, const QElapsedTimer &sinceExec) {
    while (sinceExec.elapsed() < 20000 && process.state() != QProcess::NotRunning) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (socket.waitForConnected(1000))
            return double(sinceExec.nsecsElapsed()) / 1e6;
        if (socket.state() != QAbstractSocket::UnconnectedState)
            socket.abort();
        QThread::usleep(500);
    }
    return -1;
}

// One start in a fresh directory; the time to listening in ms, or -1.
double startOnce(const QString &program, bool headless) {
    QTemporaryDir dir;
    const quint16 port = freeLoopbackPort();
    QDir().mkpath(dir.filePath(QStringLiteral("config")));
    QFile settings(dir.filePath(QStringLiteral("config/Voduro.conf")));
    if (!settings.open(QIODevice::WriteOnly))
        return -1;
    settings.write("[Logic]\nTCP Open=1\n[Strings]\nTCP Port=" + QByteArray::number(port) + "\n");
    settings.close();

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(dir.path());
    process.setStandardErrorFile(QProcess::nullDevice());
    QStringList arguments{QStringLiteral("--test-listen-address"), QStringLiteral("127.0.0.1")};
    if (headless)
        arguments.append(QStringLiteral("--headless"));
    QElapsedTimer sinceExec;
    sinceExec.start();
    process.start(program, arguments);
    const double ms = untilListening(process, port, sinceExec);
    process.terminate();
    if (!process.waitForFinished(20000))
        process.kill();
    return ms;
}

void run(const QString &program, bool headless, int runs) {
    std::vector<double> times;
    std::printf("%-10s", headless ? "headless:" : "windowed:");
    for (int i = 0; i < runs; ++i) {
        const double ms = startOnce(program, headless);
        std::printf(" %7.1f", ms);
        std::fflush(stdout);
        if (ms >= 0)
            times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    if (times.empty()) {
        std::printf("   never listening\n");
        return;
    }
    std::printf("   ms; median %.1f ms, best %.1f ms\n", times[times.size() / 2], times.front());
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 7;
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/voduro");
    std::printf("start-up to listening with an empty working directory, %s\n", qPrintable(program));
    run(program, false, runs);
    run(program, true, runs);
    return 0;
}
