#include "common/datetimetext.h"
#include "support/enginefixture.h"

#include <QtTest>

// The list export on idle ticks: one row per tick, every row exactly once, in arrival order.
class ListExportTest : public QObject {
    Q_OBJECT

    static QList<QByteArray> cells(std::initializer_list<const char *> texts) {
        QList<QByteArray> result;
        for (const char *text : texts)
            result.append(text);
        return result;
    }

private slots:
    void oneRowPerIdleTickInListOrderWithExactLines() {
        EngineFixture f;
        f.logs.setSaveEnabled(true);
        QSignalSpy titles(&f.engine, &Engine::rowExported);
        f.lists.sia.addRow("T4", cells({"NUA", "2468", "Nri1BA001 : BA Burglary Alarm", "extra"}));
        f.lists.fast.addRow("T3", cells({"NUA", "7531", "5", "5", "5", "5", "5", "5", "5", "5", " ",
                                         " ", " ", " ", " ", " ", " ", " ", "1"}));
        f.lists.contactId.addRow("T2", cells({"NUA", "7501", "New", "130 Burglary", "01", "015"}));
        f.lists.poll.addRow("T1", cells({"10.0.0.9", "7531", "YES", "NO", "NO", "YES", "NO"}));

        f.ticks(1);
        QCOMPARE(titles.size(), 1);
        QCOMPARE(titles.last().first().toString(),
                 QStringLiteral("T1 10.0.0.9 7531 YES NO NO YES"));
        f.ticks(3);
        QCOMPARE(titles.size(), 4);
        QCOMPARE(titles[1].first().toString(),
                 QStringLiteral("T2 NUA 7501 New 130 Burglary 01 015"));
        f.ticks(5);
        QCOMPARE(titles.size(), 4);

        QCOMPARE(f.env.readFile("Poll_List.Txt"), QByteArray("T1 10.0.0.9 7531 YES NO NO YES\r\n"));
        QCOMPARE(f.env.readFile("ID_List.Txt"),
                 QByteArray("T2 NUA 7501 New 130 Burglary 01 015\r\n"));
        QCOMPARE(f.env.readFile("Fast_List.Txt"), QByteArray("T3 NUA 7531 5 5 5 5 5 5 5 5  \r\n"));
        QCOMPARE(f.env.readFile("SIA_List.Txt"),
                 QByteArray("T4 NUA 2468 Nri1BA001 : BA Burglary Alarm\r\n"));
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

    void busyTicksExportNothing() {
        EngineFixture f;
        QSignalSpy titles(&f.engine, &Engine::rowExported);
        f.lists.poll.addRow("T1", cells({"a"}));
        f.settings.setFlag(SettingKey::ProcessData, true);
        f.engine.pendingMessages().append("x", "zzz");
        f.ticks(1); // decoding
        QCOMPARE(titles.size(), 0);
        f.engine.slot(1).rxText = "noise";
        f.engine.slot(1).quietTicks = 1;
        f.ticks(1); // line service
        QCOMPARE(titles.size(), 0);
        f.txQueue.append("line");
        f.engine.txLink().reloadAttempts();
        f.ticks(1); // transmission
        QCOMPARE(titles.size(), 0);
        f.ticks(1); // waiting for the ACK is idle
        QCOMPARE(titles.size(), 1);
    }

    // A clear first writes the rows its list has not exported yet, and the list's position
    // starts again with it: every row that ever entered a list is in its file once, in order.
    void everyRowIsExportedOnceAcrossClears() {
        EngineFixture f;
        f.logs.setSaveEnabled(true);
        QSignalSpy titles(&f.engine, &Engine::rowExported);
        f.lists.poll.addRow("A", cells({"1"}));
        f.lists.poll.addRow("B", cells({"2"}));
        f.lists.poll.addRow("C", cells({"3"}));
        f.ticks(1);
        f.lists.poll.clear();
        QCOMPARE(f.env.readFile("Poll_List.Txt"), QByteArray("A 1\r\nB 2\r\nC 3\r\n"));
        QCOMPARE(titles.last().first().toString(), QStringLiteral("C 3"));
        f.lists.poll.addRow("D", cells({"4"}));
        f.ticks(1);
        f.lists.poll.clear(); // nothing waiting: nothing written twice
        f.lists.poll.addRow("E", cells({"5"}));
        f.ticks(2);
        QCOMPARE(f.env.readFile("Poll_List.Txt"),
                 QByteArray("A 1\r\nB 2\r\nC 3\r\nD 4\r\nE 5\r\n"));

        // Cleared before any idle tick, in arrival order, not the list's caption order.
        f.lists.sia.addRow("12/8/26 9:59:00", cells({"s", "1", "first"}));
        f.lists.sia.addRow("12/8/26 10:00:00", cells({"s", "2", "second"}));
        f.lists.sia.clear();
        f.lists.sia.clear();
        f.ticks(3);
        QCOMPARE(f.env.readFile("SIA_List.Txt"),
                 QByteArray("12/8/26 9:59:00 s 1 first\r\n12/8/26 10:00:00 s 2 second\r\n"));
        QCOMPARE(f.engine.exportPositions(), (std::array<int, 4>{1, 0, 0, 0}));
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
