#include "common/datetimetext.h"
#include "support/enginefixture.h"

#include <QtTest>

// The list export on every tick: what arrived since the last tick, within the tick's budget,
// every row exactly once, in arrival order.
class ListExportTest : public QObject {
    Q_OBJECT

    static QList<QByteArray> cells(std::initializer_list<const char *> texts) {
        QList<QByteArray> result;
        for (const char *text : texts)
            result.append(text);
        return result;
    }

private slots:
    void arrivedRowsExportedOnTheNextTickWithExactLines() {
        EngineFixture f;
        f.logs.setSaveEnabled(true);
        QSignalSpy titles(&f.engine, &Engine::rowExported);
        f.lists.sia.addRow("T4", cells({"NUA", "2468", "Nri1BA001 : BA Burglary Alarm", "extra"}));
        f.lists.fast.addRow("T3", cells({"NUA", "7531", "5", "5", "5", "5", "5", "5", "5", "5", " ",
                                         " ", " ", " ", " ", " ", " ", " ", "1"}));
        f.lists.contactId.addRow("T2", cells({"NUA", "7501", "New", "130 Burglary", "01", "015"}));
        f.lists.poll.addRow("T1", cells({"10.0.0.9", "7531", "YES", "NO", "NO", "YES", "NO"}));

        f.ticks(1);
        // One title per tick: the row that arrived last.
        QCOMPARE(titles.size(), 1);
        QCOMPARE(titles.last().first().toString(),
                 QStringLiteral("T1 10.0.0.9 7531 YES NO NO YES"));
        f.ticks(5);
        QCOMPARE(titles.size(), 1);

        QCOMPARE(f.env.readFile("Poll_List.Txt"), QByteArray("T1 10.0.0.9 7531 YES NO NO YES\r\n"));
        QCOMPARE(f.env.readFile("ID_List.Txt"),
                 QByteArray("T2 NUA 7501 New 130 Burglary 01 015\r\n"));
        QCOMPARE(f.env.readFile("Fast_List.Txt"), QByteArray("T3 NUA 7531 5 5 5 5 5 5 5 5  \r\n"));
        QCOMPARE(f.env.readFile("SIA_List.Txt"),
                 QByteArray("T4 NUA 2468 Nri1BA001 : BA Burglary Alarm\r\n"));
        QCOMPARE(f.engine.exportPositions(), (std::array<qint64, 4>{1, 1, 1, 1}));
    }

    void shortRowsExportTheColumnsTheyHave() {
        EngineFixture f;
        f.logs.setSaveEnabled(true);
        f.lists.poll.addRow("T1", cells({"10.0.0.9", ""}));
        f.lists.contactId.addRow("T2", cells({"NUA", "", "", "", "", ""}));
        f.ticks(2);
        QCOMPARE(f.env.readFile("Poll_List.Txt"), QByteArray("T1 10.0.0.9 \r\n"));
        QCOMPARE(f.env.readFile("ID_List.Txt"), QByteArray("T2 NUA     \r\n"));
    }

    // Every tick decodes a message, so no tick is ever idle: the files still follow the lists,
    // each row once, in arrival order, also in the "SIA" list whose display order differs.
    void exportKeepsUpUnderSteadyLoad() {
        EngineFixture f;
        f.logs.setSaveEnabled(true);
        f.settings.setFlag(SettingKey::ProcessData, true);
        f.engine.setDecoder([&f](const QByteArray &source, const QByteArray &message) {
            const QString caption = QString::fromLatin1(message.mid(1));
            const QList<QByteArray> row{source, message};
            if (message.startsWith('P'))
                f.lists.poll.addRow(caption, row);
            else if (message.startsWith('C'))
                f.lists.contactId.addRow(caption, row);
            else
                f.lists.sia.addRow(caption, row);
        });
        QSignalSpy titles(&f.engine, &Engine::rowExported);
        QByteArray expected[3];
        const char kinds[] = {'P', 'C', 'S'};
        for (int n = 0; n < 90; ++n) {
            // Captions counting down: each new "SIA" row goes to the front of its list.
            const QByteArray message = kinds[n % 3] + QByteArray::number(1000 - n);
            f.engine.pendingMessages().append("src", message);
            f.engine.slot(1).rxText = "noise"; // a line serviced on the same tick
            f.engine.slot(1).quietTicks = 1;
            f.engine.tick();
            QCOMPARE(titles.size(), n + 1);
            QCOMPARE(titles.last().first().toString(),
                     QString::fromLatin1(message.mid(1) + " src " + message));
            expected[n % 3] += message.mid(1) + " src " + message + "\r\n";
        }
        QCOMPARE(f.lists.sia.caption(0), QStringLiteral("911")); // the last row added
        f.ticks(3);
        QCOMPARE(titles.size(), 90);
        QCOMPARE(f.env.readFile("Poll_List.Txt"), expected[0]);
        QCOMPARE(f.env.readFile("ID_List.Txt"), expected[1]);
        QCOMPARE(f.env.readFile("SIA_List.Txt"), expected[2]);
    }

    // A backlog is worked off within a budget per tick (a clock advancing 1 ms per reading):
    // a tick stops at its budget, having written at most one row past it, and the next ticks go
    // on where it stopped.
    void backlogExportedWithinTheTickBudget() {
        EngineFixture f;
        f.logs.setSaveEnabled(true);
        qint64 now = 0;
        f.engine.listExport().setClock([&now] { return now += 1'000'000; });
        QSignalSpy titles(&f.engine, &Engine::rowExported);
        QByteArray expected;
        for (int n = 0; n < 100; ++n) {
            f.lists.contactId.addRow(QString::number(n), cells({"NUA", "7501"}));
            expected += QByteArray::number(n) + " NUA 7501\r\n";
        }
        f.ticks(1);
        const qint64 first = f.engine.exportPositions()[1];
        QVERIFY2(first >= 20 && first <= 21, QByteArray::number(first).constData());
        QCOMPARE(f.env.readFile("ID_List.Txt"),
                 expected.left(expected.indexOf(QByteArray::number(first) + " NUA")));
        QCOMPARE(titles.last().first().toString(), QStringLiteral("%1 NUA 7501").arg(first - 1));
        f.ticks(5);
        QCOMPARE(f.env.readFile("ID_List.Txt"), expected);
        QCOMPARE(titles.last().first().toString(), QStringLiteral("99 NUA 7501"));
    }

    // A clear first writes the rows its list has not exported yet, and the list's position
    // starts again with it: every row that ever entered a list is in its file once, in order.
    void everyRowIsExportedOnceAcrossClears() {
        EngineFixture f;
        f.logs.setSaveEnabled(true);
        // Each reading of the clock spends the whole budget: one row per tick.
        qint64 now = 0;
        f.engine.listExport().setClock([&now] { return now += ListExport::tickBudgetNs; });
        QSignalSpy titles(&f.engine, &Engine::rowExported);
        f.lists.poll.addRow("A", cells({"1"}));
        f.lists.poll.addRow("B", cells({"2"}));
        f.lists.poll.addRow("C", cells({"3"}));
        f.lists.contactId.addRow("X", cells({"9"}));
        f.ticks(1);
        QCOMPARE(f.env.readFile("Poll_List.Txt"), QByteArray("A 1\r\n"));
        f.lists.poll.clear();
        QCOMPARE(f.env.readFile("Poll_List.Txt"), QByteArray("A 1\r\nB 2\r\nC 3\r\n"));
        QCOMPARE(titles.last().first().toString(), QStringLiteral("C 3"));
        f.ticks(1); // the other list's row, still waiting, comes next
        QCOMPARE(f.env.readFile("ID_List.Txt"), QByteArray("X 9\r\n"));
        QCOMPARE(titles.last().first().toString(), QStringLiteral("X 9"));
        f.lists.poll.addRow("D", cells({"4"}));
        f.ticks(1);
        f.lists.poll.clear(); // nothing waiting: nothing written twice
        f.lists.poll.addRow("E", cells({"5"}));
        f.ticks(2);
        QCOMPARE(f.env.readFile("Poll_List.Txt"),
                 QByteArray("A 1\r\nB 2\r\nC 3\r\nD 4\r\nE 5\r\n"));

        // Cleared before any tick, in arrival order, not the list's caption order.
        f.lists.sia.addRow("12/8/26 9:59:00", cells({"s", "1", "first"}));
        f.lists.sia.addRow("12/8/26 10:00:00", cells({"s", "2", "second"}));
        f.lists.sia.clear();
        f.lists.sia.clear();
        f.ticks(3);
        QCOMPARE(f.env.readFile("SIA_List.Txt"),
                 QByteArray("12/8/26 9:59:00 s 1 first\r\n12/8/26 10:00:00 s 2 second\r\n"));
        QCOMPARE(f.engine.exportPositions(), (std::array<qint64, 4>{1, 1, 0, 0}));
    }

    void siaRowSortedBeforeExportedRowsIsExportedOnce() {
        EngineFixture f;
        f.logs.setSaveEnabled(true);
        // "10:..." sorts before "9:..." as text: the later row lands in front of the list.
        f.lists.sia.addRow("12/8/26 9:59:00", cells({"s", "1", "first"}));
        f.ticks(1);
        f.lists.sia.addRow("12/8/26 10:00:00", cells({"s", "2", "second"}));
        QCOMPARE(f.lists.sia.caption(0), QStringLiteral("12/8/26 10:00:00"));
        f.ticks(3);
        QCOMPARE(f.env.readFile("SIA_List.Txt"),
                 QByteArray("12/8/26 9:59:00 s 1 first\r\n12/8/26 10:00:00 s 2 second\r\n"));
    }

    void exportPositionsRestartAtStartUp() {
        EngineFixture f;
        f.lists.poll.addRow("A", cells({"1"}));
        f.ticks(1);
        QCOMPARE(f.engine.exportPositions()[0], 1);
        f.engine.resetState();
        QCOMPARE(f.engine.exportPositions()[0], 0);
    }
};

QTEST_GUILESS_MAIN(ListExportTest)
#include "test_listexport.moc"
