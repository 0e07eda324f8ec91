// Fills each event list with a million rows and prints the time per row at the start and at the
// end, and the memory a row costs. A monitor runs for months, so neither may grow with the list.
// The list is then full: the next row lets the oldest hundredth go, and its time is printed too.

#include "events/eventlistmodel.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QPair>
#include <cstdio>
#include <functional>
#include <utility>

namespace {

constexpr int rowCount = 1000000;
constexpr int window = 10000;

qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4096 : 0;
}

// One row a second from a Thursday morning on, in a format without leading zeros, so that the
// text order of the captions differs from their time order (9:59:59 sorts after 10:00:00).
QString caption(int row) {
    static const QDateTime start(QDate(2024, 5, 23), QTime(8, 0, 0), Qt::UTC);
    return start.addSecs(row).toString(QStringLiteral("d/M/yyyy h:mm:ss"));
}

using RowCells = std::function<QList<QByteArray>(int)>;

// Rows are prepared a window at a time, outside the timing, so only addRow() is measured.
void fill(EventListModel &model, const RowCells &cells) {
    const qint64 before = residentBytes();
    qint64 firstNs = 0;
    qint64 lastNs = 0;
    QElapsedTimer total;
    total.start();
    for (int first = 0; first < rowCount; first += window) {
        QList<QPair<QString, QList<QByteArray>>> rows;
        rows.reserve(window);
        for (int row = first; row < first + window; ++row)
            rows.append({caption(row), cells(row)});
        QElapsedTimer timer;
        timer.start();
        for (const auto &[text, rowCells] : std::as_const(rows))
            model.addRow(text, rowCells);
        const qint64 ns = timer.nsecsElapsed();
        if (first == 0)
            firstNs = ns;
        if (first + window >= rowCount)
            lastNs = ns;
    }
    const double bytesPerRow = double(residentBytes() - before) / rowCount;
    const QList<QByteArray> nextCells = cells(rowCount);
    const QString nextCaption = caption(rowCount);
    QElapsedTimer full;
    full.start();
    model.addRow(nextCaption, nextCells);
    const qint64 fullNs = full.nsecsElapsed();
    std::printf("%-14s first %d: %6.3f us/row   last %d: %6.3f us/row   all: %6.2f s   "
                "memory: %6.1f bytes/row   next row when full: %6.2f ms\n",
                qPrintable(model.objectName()), window, firstNs / 1000.0 / window, window,
                lastNs / 1000.0 / window, total.elapsed() / 1000.0, bytesPerRow,
                double(fullNs) / 1e6);
    std::fflush(stdout);
}

QByteArray yesNo(int row, int bit) {
    return (row >> bit) & 1 ? QByteArrayLiteral("YES") : QByteArrayLiteral("NO");
}

QByteArray source(int row) {
    return "192.168.1." + QByteArray::number(row % 250 + 1);
}

QByteArray account(int row) {
    return QByteArray::number(1000 + row % 9000);
}

} // namespace

int main() {
    EventLists lists;
    fill(lists.poll, [](int row) {
        return QList<QByteArray>{source(row),   account(row),  yesNo(row, 0), yesNo(row, 1),
                                 yesNo(row, 2), yesNo(row, 3), yesNo(row, 4)};
    });
    fill(lists.contactId, [](int row) {
        return QList<QByteArray>{source(row),
                                 account(row),
                                 QByteArrayLiteral("New"),
                                 QByteArrayLiteral("130 Burglary"),
                                 QByteArrayLiteral("01"),
                                 QByteArray::number(row % 900 + 100)};
    });
    fill(lists.fast, [](int row) {
        QList<QByteArray> cells{source(row), account(row)};
        for (int channel = 0; channel < 17; ++channel)
            cells.append(QByteArray(1, char('0' + (row + channel) % 10)));
        return cells;
    });
    fill(lists.sia, [](int row) {
        QList<QByteArray> cells{source(row), account(row),
                                QByteArrayLiteral("Nri1BA001 : BA Burglary Alarm")};
        if (row % 4 == 0)
            cells.append(QByteArrayLiteral("Front door zone 3"));
        return cells;
    });
    return 0;
}
