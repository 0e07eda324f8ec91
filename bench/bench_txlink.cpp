// Transmit link throughput: lines per second delivered to a loopback receiver that acknowledges
// each line at once, over TCP and over a pseudo-terminal, with the real 100 ms tick running.
// Usage: bench_txlink [lines per run, default 5000]

#include "benchengine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

namespace {

constexpr qint64 wallLimitMs = 600000;
const QByteArray benchLine = "5041 182468E13001003";

struct Bench : EngineBench {
    Bench() { settings.setText(SettingKey::HeartBeat, QStringLiteral("0")); }

    // Queues the lines, lets the real tick deliver them and prints the rate.
    void deliver(const char *path, int lines, const qint64 &acknowledged) {
        for (int i = 0; i < lines; ++i)
            txQueue.append(benchLine);
        engine.txLink().reloadAttempts();
        QElapsedTimer wall;
        wall.start();
        engine.startTimer();
        while (!txQueue.isEmpty() && wall.elapsed() < wallLimitMs)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const double seconds = wall.nsecsElapsed() / 1e9;
        const qsizetype sent = lines - txQueue.rowCount();
        std::printf("%-4s %6lld of %d lines in %8.3f s = %9.1f lines/s (%.1f ticks), %lld ACKs\n",
                    path, static_cast<long long>(sent), lines, seconds, sent / seconds,
                    seconds * 10, static_cast<long long>(acknowledged));
    }
};

void overTcp(int lines) {
    QTcpServer receiver;
    receiver.listen(QHostAddress::LocalHost, 0);
    qint64 acknowledged = 0;
    QObject::connect(&receiver, &QTcpServer::newConnection, [&] {
        QTcpSocket *socket = receiver.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, [socket, &acknowledged] {
            const qsizetype count = socket->readAll().count('\x14');
            acknowledged += count;
            socket->write(QByteArray(count, '\x06'));
        });
    });
    Bench bench;
    bench.settings.setInteger(SettingKey::TxNum, txPortTcpIndex);
    bench.settings.setText(SettingKey::TxIpAdd, QStringLiteral("127.0.0.1"));
    bench.settings.setText(SettingKey::TxIpPort, QString::number(receiver.serverPort()));
    bench.engine.startStop(5);
    bench.deliver("TCP", lines, acknowledged);
}

void overPty(int lines) {
    int master = -1;
    int slave = -1;
    const QString device = openRawPty(master, slave);
    qint64 acknowledged = 0;
    QSocketNotifier notifier(master, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        const qsizetype count = got > 0 ? QByteArray(buffer, got).count('\x14') : 0;
        acknowledged += count;
        if (count > 0 && ::write(master, QByteArray(count, '\x06').constData(), count) < 0)
            std::perror("write");
    });
    Bench bench;
    bench.settings.setDevice(0, device);
    bench.settings.setInteger(SettingKey::TxNum, 0);
    bench.engine.startStop(5);
    bench.deliver("pty", lines, acknowledged);
    bench.engine.closePorts();
    ::close(slave);
    ::close(master);
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const int lines = argc > 1 ? std::atoi(argv[1]) : 5000;
    overTcp(lines);
    overPty(lines);
    return 0;
}
