// Engine figures: the cost of one tick when idle, with both Zorer-Uda lines connected, while the
// transmit link delivers lines to a loopback receiver that acknowledges at once, and how many
// messages a second the ticks decode from "Pending Messages".

#include "benchengine.h"
#include "decoder/messagedecoder.h"
#include "strings/eventtexts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

namespace {

using Bench = EngineBench;

double nanosPerTick(Engine &engine, int ticks) {
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < ticks; ++i)
        engine.tick();
    return double(timer.nsecsElapsed()) / ticks;
}

void idleTickStopped(int ticks) {
    Bench idle;
    std::printf("idle tick, all lines stopped:      %8.2f us\n",
                nanosPerTick(idle.engine, ticks) / 1000);
}

void idleTickConnected(int ticks) {
    Bench connected;
    int masters[2] = {-1, -1};
    int slaves[2] = {-1, -1};
    for (int line = 1; line <= 2; ++line) {
        connected.settings.setDevice(line - 1, openRawPty(masters[line - 1], slaves[line - 1]));
        connected.settings.setInteger(line == 1 ? SettingKey::Port1Num : SettingKey::Port2Num,
                                      line - 1);
        connected.engine.startStop(line);
        connected.engine.slot(line).call = {true, false, "1234567"};
    }
    std::printf("idle tick, both lines connected:   %8.2f us\n",
                nanosPerTick(connected.engine, ticks) / 1000);
}

void busyLink() {
    QTcpServer receiver;
    receiver.listen(QHostAddress::LocalHost, 0);
    qint64 delivered = 0;
    QObject::connect(&receiver, &QTcpServer::newConnection, [&] {
        QTcpSocket *socket = receiver.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, [socket, &delivered] {
            socket->readAll();
            ++delivered;
            socket->write("\x06");
        });
    });
    Bench busy;
    busy.settings.setInteger(SettingKey::TxNum, txPortTcpIndex);
    busy.settings.setText(SettingKey::TxIpAdd, QStringLiteral("127.0.0.1"));
    busy.settings.setText(SettingKey::TxIpPort, QString::number(receiver.serverPort()));
    busy.settings.setText(SettingKey::HeartBeat, QStringLiteral("0"));
    busy.engine.startStop(5);
    constexpr int lines = 2000;
    for (int i = 0; i < lines; ++i)
        busy.txQueue.append("5041 182468E13001003");
    busy.engine.txLink().reloadAttempts();
    qint64 tickCount = 0;
    qint64 tickNanos = 0;
    QElapsedTimer wall;
    wall.start();
    QElapsedTimer timer;
    while (!busy.txQueue.isEmpty() && wall.elapsed() < 120000) {
        // Let the reply arrive before the next tick, as 100 ms of real time would.
        while (busy.engine.txLink().state().TxWaitTicks > 0 &&
               busy.engine.slot(5).rxText.isEmpty() && busy.engine.slot(5).quietTicks == 0 &&
               wall.elapsed() < 120000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        timer.start();
        busy.engine.tick();
        tickNanos += timer.nsecsElapsed();
        ++tickCount;
    }
    const double ticksPerLine = double(tickCount) / lines;
    std::printf("busy link: %d lines in %lld ticks = %.2f ticks per line\n", lines,
                static_cast<long long>(tickCount), ticksPerLine);
    // The ACKs are taken as they arrive, between ticks, so the wall time below is the
    // link's pace; bench_txlink measures it with the real 100 ms tick running.
    std::printf("  tick cost while busy: %.2f us; receiver counted %lld lines\n",
                double(tickNanos) / tickCount / 1000, static_cast<long long>(delivered));
    std::printf("  wall time driven as fast as replies arrive: %.2f s (%.0f lines/s)\n",
                wall.elapsed() / 1000.0, lines * 1000.0 / wall.elapsed());
}

void decoderPace() {
    // The decoder alone: Contact ID reports waiting in "Pending Messages", the ticks run back
    // to back, each decoding until its budget is spent.
    Bench decoding;
    EventTexts texts;
    MessageDecoder decoder(decoding.lists, decoding.txQueue, decoding.logs, decoding.accounts,
                           texts,
                           {[] {
                                return DecoderSettings{{"04", "1"}, OutputFormat::HighSpeed};
                            },
                            [] {}});
    decoding.engine.setDecoder([&decoder](const QByteArray &source, const QByteArray &message) {
        decoder.Process_data(source, message);
    });
    constexpr int messages = 100000;
    for (int i = 0; i < messages; ++i)
        decoding.engine.pendingMessages().append("127.0.0.1", "25801181130010010");
    QElapsedTimer timer;
    timer.start();
    int ticks = 0;
    while (!decoding.engine.pendingMessages().isEmpty()) {
        decoding.engine.tick();
        ++ticks;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("decoder: %d Contact ID messages in %d ticks, %.2f s of tick time: %.0f "
                "messages/s (%.0f per 100 ms tick)\n",
                messages, ticks, seconds, messages / seconds, double(messages) / ticks);
    std::printf("  lines queued: %lld\n", static_cast<long long>(decoding.txQueue.lines().size()));
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    constexpr int ticks = 200000;
    idleTickStopped(ticks);
    idleTickConnected(ticks);
    busyLink();
    decoderPace();
    return 0;
}
