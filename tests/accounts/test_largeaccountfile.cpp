#include "accounts/accounttable.h"
#include "support/tempenvironment.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

enum class Shape { Scattered, SavedWithEditLast, Descending };

// Numbers drawn from a narrow range, so that many records share a number; each record's name is
// its place in the file, so the order of equal numbers can be checked.
std::vector<AccountRecord> fileRecords(Shape shape, int count) {
    QRandomGenerator random(20261208u);
    std::vector<AccountRecord> records(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        AccountRecord &record = records[size_t(i)];
        record.accNum = shape == Shape::Descending ? quint32(count - i) : random.bounded(3000u);
        if (i % 7 == 0)
            record.accNum += 0x80000000u; // above the signed range: compared unsigned
        record.accName = QByteArray::number(i);
        record.nuaIp = "10.0.0." + QByteArray::number(i % 250);
        record.lastNuaIp = "stale";
        record.pollDelay = quint16(i % 5);
    }
    if (shape == Shape::SavedWithEditLast) {
        std::stable_sort(
            records.begin(), records.end() - 1,
            [](const AccountRecord &a, const AccountRecord &b) { return a.accNum < b.accNum; });
    }
    return records;
}

} // namespace

// A large account file loads into the same table as inserting its records one by one in file
// order would give: ascending unsigned numbers, and among equal numbers the later record first.
class TestLargeAccountFile : public QObject {
    Q_OBJECT

private slots:
    void loadsAsInsertingInFileOrder_data() {
        QTest::addColumn<Shape>("shape");
        QTest::newRow("scattered, many equal numbers") << Shape::Scattered;
        QTest::newRow("saved: in order but the edited record last") << Shape::SavedWithEditLast;
        QTest::newRow("descending") << Shape::Descending;
    }

    void loadsAsInsertingInFileOrder() {
        QFETCH(Shape, shape);
        TempEnvironment env;
        const std::vector<AccountRecord> inFile = fileRecords(shape, 20000);
        QFile file(u"Accounts.PDB"_s);
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (const AccountRecord &record : inFile)
            file.write(accountImage(record));
        file.close();

        AccountTable loaded;
        QVERIFY(loaded.ReadAccRec(2).ok);
        AccountTable inserted(u"unused"_s);
        for (AccountRecord record : inFile) {
            record.lastNuaIp.clear();
            record.pollTimer = record.pollDelay == 0 ? 0 : quint16(record.pollDelay * 2 + 3);
            inserted.InsertAcc(record);
        }
        QCOMPARE(loaded.AccountCount(), 20000);
        QVERIFY(loaded.records() == inserted.records());
        QCOMPARE(loaded.currentIndex(), 0);
        for (const AccountRecord &record : inFile)
            QCOMPARE(loaded.Find_Account(record.accNum)->accName,
                     inserted.Find_Account(record.accNum)->accName);
    }
};

QTEST_GUILESS_MAIN(TestLargeAccountFile)
#include "test_largeaccountfile.moc"
