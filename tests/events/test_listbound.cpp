#include "common/logbook.h"
#include "events/eventlistmodel.h"
#include "events/listexport.h"
#include "support/tempenvironment.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>

namespace {

constexpr int limit = 300;        // a hundredth: 3 rows go at a time
constexpr int sortedLimit = 1000; // 10 rows go at a time

QStringList captions(const EventListModel &model) {
    QStringList result;
    for (int row = 0; row < model.rowCount(); ++row)
        result.append(model.caption(row));
    return result;
}

// Lines of an export file without their CR LF.
QByteArrayList fileLines(const QByteArray &bytes) {
    QByteArrayList lines = bytes.split('\n');
    lines.removeLast();
    for (QByteArray &line : lines)
        line.chop(1);
    return lines;
}

// Times without a leading zero, so the text order of the captions is not their arrival order.
QString sortedCaption(int row) {
    return QStringLiteral("%1:%2:00").arg(row / 60 % 24).arg(row % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

// A list holds at most its limit of rows: a full list lets its oldest rows go, the views hear of
// it in a few steps, and the list export still writes every row that ever arrived, once.
class TestListBound : public QObject {
    Q_OBJECT
private slots:
    void fullListsKeepTheNewestRowsAndExportEveryRowOnce();
    void sortedListLetsItsOldestRowsGoInRunsOrAtOnce();
};

void TestListBound::fullListsKeepTheNewestRowsAndExportEveryRowOnce() {
    TempEnvironment env;
    LogBook logs;
    logs.setSaveEnabled(true);
    EventLists lists;
    ListExport exporter(lists, logs);
    lists.contactId.setRowLimit(limit);
    lists.sia.setRowLimit(limit);
    QSignalSpy removed(&lists.contactId, &QAbstractItemModel::rowsRemoved);
    QByteArrayList idLines;
    QByteArrayList siaLines;
    // 1,000 rows of each; the export (as on a tick) runs after every 7th pair only, and not at all
    // for the last 400, so rows leave the full lists before their turn to be exported has come.
    for (int row = 0; row < 1000; ++row) {
        const QByteArray number = QByteArray::number(row);
        lists.contactId.addRow(QStringLiteral("c") + QString::number(row), {"RX3", number});
        lists.sia.addRow(sortedCaption(row), {"RX3", number, "N" + number});
        idLines.append("c" + number + " RX3 " + number);
        siaLines.append(sortedCaption(row).toLatin1() + " RX3 " + number + " N" + number);
        if (row < 600 && row % 7 == 0)
            exporter.exportArrived();
        QVERIFY(lists.contactId.rowCount() <= limit);
        QVERIFY(lists.sia.rowCount() <= limit);
    }
    exporter.exportArrived();
    exporter.exportArrived();

    QCOMPARE(fileLines(env.readFile("ID_List.Txt")), idLines);
    QCOMPARE(fileLines(env.readFile("SIA_List.Txt")), siaLines);
    QCOMPARE(exporter.positions(), (std::array<qint64, 4>{0, 1000, 0, 1000}));
    // The newest rows stay, in arrival order; each of 234 steps took three rows off the top.
    QCOMPARE(lists.contactId.rowCount(), limit - 2);
    QCOMPARE(lists.contactId.caption(0), QStringLiteral("c702"));
    QCOMPARE(lists.contactId.caption(limit - 3), QStringLiteral("c999"));
    QCOMPARE(removed.size(), 234);
    QCOMPARE(removed.first().at(1).toInt(), 0);
    QCOMPARE(removed.first().at(2).toInt(), 2);
    QCOMPARE(lists.contactId.exportLine(701, 2), QByteArray()); // gone
    QCOMPARE(lists.contactId.exportLine(702, 2), QByteArray("c702 RX3 702"));

    // A clear and new rows: counted from the first again, written once more.
    lists.contactId.clear();
    lists.contactId.addRow(QStringLiteral("again"), {"RX3"});
    exporter.exportArrived();
    QCOMPARE(fileLines(env.readFile("ID_List.Txt")).last(), QByteArray("again RX3"));
    QCOMPARE(fileLines(env.readFile("ID_List.Txt")).size(), 1001);
}

// The sorted list shows the newest rows in caption order (equal captions in arrival order)
// after its oldest went: in a few runs when their captions lie together, in one reset when they
// are scattered over the whole list.
void TestListBound::sortedListLetsItsOldestRowsGoInRunsOrAtOnce() {
    struct Case {
        const char *name;
        std::function<QString(int)> caption;
        bool inRuns;
    };
    const QList<Case> cases{
        {"captions of a stretch of time", sortedCaption, true},
        {"captions scattered", [](int row) { return QString::number(row * 7919 % 101); }, false},
    };
    for (const Case &c : cases) {
        EventListModel model(QStringLiteral("SIAList"), {QStringLiteral("Date / Time")},
                             EventListModel::Order::ByCaption);
        model.setRowLimit(sortedLimit);
        // The views' contract: counts and rows agree at every notice, also while rows leave.
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QList<QPair<QString, int>> kept;
        for (int row = 0; row < 2 * sortedLimit + 1; ++row)
            model.addRow(c.caption(row), {QByteArray::number(row)});
        for (int row = 0; row < 2 * sortedLimit + 1; ++row)
            kept.append({c.caption(row), row});
        kept = kept.mid(kept.size() - model.rowCount());
        std::stable_sort(kept.begin(), kept.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        QStringList expectedCaptions;
        QByteArrayList expectedCells;
        QByteArrayList cells;
        for (const auto &[caption, row] : kept) {
            expectedCaptions.append(caption);
            expectedCells.append(QByteArray::number(row));
        }
        for (int row = 0; row < model.rowCount(); ++row)
            cells.append(model.cell(row, 1));
        QCOMPARE(model.rowCount(), sortedLimit - 9); // 101 steps of 10
        QCOMPARE(captions(model), expectedCaptions);
        QCOMPARE(cells, expectedCells);
        QVERIFY2(c.inRuns ? reset.isEmpty() && removed.size() >= 101 : !reset.isEmpty(), c.name);
    }
}

QTEST_GUILESS_MAIN(TestListBound)
#include "test_listbound.moc"
