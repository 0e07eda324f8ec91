// The windowed monitor after a long run: its event lists hold millions of rows, "Tx Pending" and
// "Received Data" many thousands, both windows show, and 100 messages a second arrive. Prints what
// one tick costs (p50, p99, max), the longest the event loop is kept from answering in each 100 ms
// (the tick and the layout and drawing it causes), and the memory a row costs with its views.
//
//   bench_tickload [rows in the lists, default 2500000] [seconds of traffic, default 30]

#include "app/monitor.h"
#include "engine/engine.h"
#include "events/eventlistmodel.h"
#include "events/txqueue.h"
#include "settings/settings.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

constexpr int messagesPerTick = 10; // 100 a second

qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4096 : 0;
}

QString caption(int row) {
    static const QDateTime start(QDate(2026, 1, 5), QTime(8, 0, 0), Qt::UTC);
    return start.addSecs(row / 4).toString(QStringLiteral("d/M/yyyy h:mm:ss"));
}

QByteArray source(int row) {
    return "192.168.1." + QByteArray::number(row % 250 + 1);
}

QByteArray account(int row) {
    return QByteArray::number(1000 + row % 9000);
}

QByteArray yesNo(int row, int bit) {
    return (row >> bit) & 1 ? QByteArrayLiteral("YES") : QByteArrayLiteral("NO");
}

// The rows a long run leaves: 40 % polls, 30 % Contact ID, 20 % SIA, 10 % Fast Format.
void fillLists(EventLists &lists, int rows) {
    for (int row = 0; row < rows; ++row) {
        switch (row % 10) {
        case 0:
        case 1:
        case 2:
        case 3:
            lists.poll.addRow(caption(row),
                              {source(row), account(row), yesNo(row, 0), yesNo(row, 1),
                               yesNo(row, 2), yesNo(row, 3), yesNo(row, 4)});
            break;
        case 4:
        case 5:
        case 6:
            lists.contactId.addRow(caption(row), {source(row), account(row), "New", "130 Burglary",
                                                  "01", QByteArray::number(row % 900 + 100)});
            break;
        case 7:
        case 8:
            lists.sia.addRow(caption(row), {source(row), account(row),
                                            "Nri1BA001 : BA Burglary Alarm", "Front door"});
            break;
        default: {
            QList<QByteArray> cells{source(row), account(row)};
            for (int channel = 0; channel < 17; ++channel)
                cells.append(QByteArray(1, char('0' + (row + channel) % 10)));
            lists.fast.addRow(caption(row), cells);
        }
        }
    }
}

// A Contact ID report with a valid check digit.
QByteArray contactId(int account, int zone) {
    QByteArray report = "2" + QByteArray::number(1000 + account % 9000) + "18113001" +
                        QByteArray::number(zone % 1000).rightJustified(3, '0');
    int sum = 0;
    for (qsizetype i = 1; i < report.size(); ++i)
        sum += report.at(i) == '0' ? 10 : report.at(i) - '0';
    const int check = 15 - sum % 15;
    return report + (check == 10 ? '0' : check < 10 ? char('0' + check) : char('A' + check - 10));
}

// The traffic of one tick, as the IP receiver queues it.
void feed(Engine &engine, int &sequence) {
    for (int i = 0; i < messagesPerTick; ++i, ++sequence) {
        const QByteArray from = source(sequence);
        switch (sequence % 10) {
        case 0:
        case 1:
        case 2:
        case 3:
            engine.pendingMessages().append(from, "POLL" + account(sequence) + "#A");
            break;
        case 4:
        case 5:
        case 6:
            engine.pendingMessages().append(from, contactId(sequence, sequence));
            break;
        case 7:
        case 8:
            engine.pendingMessages().append(from, "3D#" + account(sequence) + "xHNri1BA001y@");
            break;
        default:
            engine.pendingMessages().append(from, "1" + account(sequence) + "12345678x");
        }
    }
}

struct Percentiles {
    double p50, p99, max;
};

Percentiles percentiles(std::vector<qint64> ns) {
    if (ns.empty())
        return {0, 0, 0};
    std::sort(ns.begin(), ns.end());
    const auto at = [&](double q) {
        return double(ns[std::min(ns.size() - 1, std::size_t(q * double(ns.size())))]) / 1e6;
    };
    return {at(0.50), at(0.99), double(ns.back()) / 1e6};
}

void printFigures(const char *what, const std::vector<qint64> &ns) {
    const Percentiles p = percentiles(ns);
    std::printf("%-34s p50 %7.2f ms   p99 %7.2f ms   max %7.2f ms\n", what, p.p50, p.p99, p.max);
}

// Fills the lists, "Tx Pending" and "Received Data" as a long-running centre would have them.
void fillLikeALongRun(MonitorCore &core, int rows) {
    const qint64 before = residentBytes();
    QElapsedTimer timer;
    timer.start();
    fillLists(core.lists(), rows);
    const qint64 fillNs = timer.nsecsElapsed();
    QCoreApplication::processEvents();
    const qint64 after = residentBytes();
    std::printf("lists filled: %d rows in %.2f s (%.2f us/row with the views), %.1f bytes/row\n",
                rows, double(fillNs) / 1e9, double(fillNs) / 1e3 / std::max(rows, 1),
                double(after - before) / std::max(rows, 1));
    // A full list lets its oldest hundredth go when the next row comes: that row's cost, views
    // included.
    EventListModel &polls = core.lists().poll;
    while (polls.rowCount() < polls.rowLimit())
        polls.addRow(caption(0), {source(0)});
    timer.start();
    polls.addRow(caption(rows), {source(rows), account(rows)});
    std::printf("a row added to the full Poll_List (%d rows go first): %.2f ms\n",
                polls.rowLimit() / 100, double(timer.nsecsElapsed()) / 1e6);
    QCoreApplication::processEvents();
    const int txLines = 200000;
    for (int i = 0; i < txLines; ++i)
        core.txQueue().append("5041 18" + account(i) + "E13001" + QByteArray::number(i % 1000));
    const int received = 100000;
    for (int i = 0; i < received; ++i)
        core.engine().receivedData().append("[1]GARBAGE " + QByteArray::number(i));
    QCoreApplication::processEvents();
    std::printf("Tx Pending %d lines, Received Data %d items; resident %.0f MB\n",
                core.txQueue().size(), core.engine().receivedData().size(),
                double(residentBytes()) / 1e6);
    std::fflush(stdout);
}

// Ticks every 100 ms while messages arrive; each tick's cost, and the longest the event loop
// could not answer in each 100 ms.
void driveTicks(MonitorCore &core, int ticks, std::vector<qint64> &tickNs,
                std::vector<qint64> &stallNs) {
    // A probe that asks to run every 2 ms: the longest gap between its runs in each 100 ms is the
    // longest the event loop could not answer the operator (the tick, the layout and drawing).
    qint64 longestGap = 0;
    QElapsedTimer sinceProbe;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(2);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (sinceProbe.isValid())
            longestGap = std::max(longestGap, sinceProbe.nsecsElapsed());
        sinceProbe.start();
    });
    probe.start();
    int sequence = 0;
    QTimer driver;
    driver.setInterval(100);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (!tickNs.empty())
            stallNs.push_back(std::exchange(longestGap, 0));
        feed(core.engine(), sequence);
        QElapsedTimer tickTimer;
        tickTimer.start();
        core.engine().tick();
        tickNs.push_back(tickTimer.nsecsElapsed());
        if (int(tickNs.size()) == ticks) {
            driver.stop();
            QTimer::singleShot(200, qApp, [] { QCoreApplication::exit(0); });
        }
    });
    driver.start();
    QApplication::exec();
}

} // namespace

int main(int argc, char *argv[]) {
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 2500000;
    const int seconds = argc > 2 ? QByteArray(argv[2]).toInt() : 30;

    Monitor monitor({QHostAddress::LocalHost});
    MonitorCore &core = monitor.core();
    monitor.mainWindow().resize(1000, 700);
    monitor.mainWindow().show();
    monitor.mainWindow().toggleComSetup(); // "Received Data" and "Pending Messages" show too
    QCoreApplication::processEvents();

    fillLikeALongRun(core, rows);
    std::vector<qint64> tickNs;
    std::vector<qint64> stallNs;
    const int ticks = seconds * 10;
    driveTicks(core, ticks, tickNs, stallNs);

    std::printf("%d ticks, %d messages a second; rows now %d, Tx Pending %d\n", ticks,
                messagesPerTick * 10,
                core.lists().poll.rowCount() + core.lists().contactId.rowCount() +
                    core.lists().sia.rowCount() + core.lists().fast.rowCount(),
                core.txQueue().size());
    printFigures("tick:", tickNs);
    if (qEnvironmentVariableIsSet("BENCH_SLOW_TICKS"))
        for (std::size_t i = 0; i < tickNs.size(); ++i)
            if (tickNs[i] > 5'000'000)
                std::printf("  tick %zu: %.2f ms\n", i, double(tickNs[i]) / 1e6);
    printFigures("longest stall per 100 ms:", stallNs);
    monitor.shutDown();
    return 0;
}
