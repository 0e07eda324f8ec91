#include "accounts/accounttable.h"
#include "support/tempenvironment.h"
#include "support/unreadablefile.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <atomic>
#include <csignal>
#include <sys/resource.h>

using namespace Qt::Literals::StringLiterals;
using Mode = AccountTable::SaveMode;

namespace {

// One account and its file image written out byte by byte, independently of the image code.
AccountRecord handBuiltAccount() {
    AccountRecord r{"Alpha", "10.0.0.17", "3125", 1000010, 999, 0x0102, 0x0006, 0xBEEF, 1};
    return r;
}

// clang-format off
const QByteArray handBuiltImage = QByteArray::fromHex(
    "00000000" "00000000"                                          // Next, Prev
    "05" "416c706861" "00000000000000000000000000000000000000000000000000" // AccName "Alpha"
    "09" "31302e302e302e3137" "0000000000000000000000"             // NuaIp "10.0.0.17"
    "04" "33313235" "00000000000000000000000000000000"             // LastNuaIp "3125"
    "000000"                                                       // padding
    "4a420f00"                                                     // AccNum 1000010
    "e703" "0201" "0600"                               // PollDelay, ArmPollDelay, OptionBits
    "efbe" "0100"                                                  // PollTimer, PollFailed
    "000000000000");                                               // reserved
// clang-format on

AccountRecord account(quint32 number, const QByteArray &name, quint16 pollDelay = 0) {
    AccountRecord record;
    record.accNum = number;
    record.accName = name;
    record.pollDelay = pollDelay;
    return record;
}

void writeAccounts(const std::vector<AccountRecord> &records, const QByteArray &tail = {}) {
    QFile file(u"Accounts.PDB"_s);
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (const AccountRecord &record : records)
        file.write(accountImage(record));
    file.write(tail);
}

// "1a 5c@RX3": number, name and, when set, the last NUA / IP of each record in order.
QByteArray describe(const std::vector<AccountRecord> &records) {
    QByteArrayList parts;
    for (const AccountRecord &r : records)
        parts << QByteArray::number(r.accNum) + r.accName +
                     (r.lastNuaIp.isEmpty() ? QByteArray() : '@' + r.lastNuaIp);
    return parts.join(' ');
}

QByteArray describeFile(const QByteArray &content) {
    std::vector<AccountRecord> records;
    for (qsizetype at = 0; at + 104 <= content.size(); at += 104)
        records.push_back(accountFromImage(content, at));
    return describe(records);
}

} // namespace

class TestAccountTable : public QObject {
    Q_OBJECT

private slots:
    void imageMatchesHandBuiltLayout() {
        QCOMPARE(accountImage(handBuiltAccount()).toHex(), handBuiltImage.toHex());
        QCOMPARE(accountFromImage(handBuiltImage), handBuiltAccount());
    }

    // A damaged length byte must not pull the next field's bytes into the text.
    void damagedLengthClampedToField_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("lengthOffset");
        QTest::addColumn<int>("fieldSize");
        QTest::newRow("AccName") << 0 << 8 << 30;
        QTest::newRow("NuaIp") << 1 << 39 << 20;
        QTest::newRow("LastNuaIp") << 2 << 60 << 20;
    }

    void damagedLengthClampedToField() {
        QFETCH(int, field);
        QFETCH(int, lengthOffset);
        QFETCH(int, fieldSize);
        QByteArray image = handBuiltImage;
        image[lengthOffset] = char(255);
        image.replace(lengthOffset + 1, fieldSize + 1, QByteArray(fieldSize, 'f') + 'X');
        const AccountRecord r = accountFromImage(image);
        QCOMPARE(QByteArrayList({r.accName, r.nuaIp, r.lastNuaIp}).at(field),
                 QByteArray(fieldSize, 'f'));
    }

    void savedFileIsByteExactAndLoadsBack() {
        TempEnvironment env;
        AccountTable table;
        QVERIFY(table.ReadAccRec(5).ok); // no file yet: created empty
        QVERIFY(env.fileExists(u"Accounts.PDB"_s));
        QCOMPARE(table.currentIndex(), -1);
        QVERIFY(table.save(Mode::Add, handBuiltAccount()).ok);
        QCOMPARE(env.readFile(u"Accounts.PDB"_s).toHex(), handBuiltImage.toHex());

        AccountTable reloaded;
        QVERIFY(reloaded.ReadAccRec(999).ok);
        AccountRecord expected = handBuiltAccount();
        expected.lastNuaIp.clear();
        expected.pollTimer = 65535; // 999 * 999 + 3 saturates in 16 bits
        QCOMPARE(reloaded.CurrentAccount(), expected);
    }

    void trailingPieceIgnoredAndTimersStarted() {
        TempEnvironment env;
        writeAccounts({account(2, "b", 10), account(1, "a", 0)}, QByteArray(42, '\xFF'));
        AccountTable table;
        QVERIFY(table.ReadAccRec(5).ok);
        QCOMPARE(describe(table.records()), "1a 2b"_ba);
        QCOMPARE(table.records().at(0).pollTimer, 0);
        QCOMPARE(table.records().at(1).pollTimer, 53);
    }

    void loadOrdersAsInsertingInFileOrder() {
        TempEnvironment env;
        const std::vector<AccountRecord> inFile{
            account(5, "a"), account(3, "b"), account(5, "c"),         account(0xFFFFFFFF, "d"),
            account(1, "e"), account(5, "f"), account(0x80000000, "g")};
        writeAccounts(inFile);
        AccountTable loaded;
        QVERIFY(loaded.ReadAccRec(0).ok);
        QCOMPARE(describe(loaded.records()), "1e 3b 5f 5c 5a 2147483648g 4294967295d"_ba);
        QCOMPARE(loaded.Find_Account(5)->accName, "f"_ba);
        QCOMPARE(loaded.CurrentAccount()->accName, "e"_ba);

        AccountTable inserted(u"unused"_s);
        for (const AccountRecord &record : inFile)
            inserted.InsertAcc(record);
        QCOMPARE(loaded.records(), inserted.records());

        loaded.InsertAcc(account(5, "h")); // before its equals; the current record stays
        QCOMPARE(loaded.Find_Account(5)->accName, "h"_ba);
        QCOMPARE(loaded.CurrentAccount()->accName, "e"_ba);
        loaded.setCurrentIndex(2);
        loaded.InsertAcc(account(2, "i"));
        QCOMPARE(loaded.CurrentAccount()->accName, "h"_ba);
    }

    void countGoesBeyond16Bits() {
        TempEnvironment env;
        std::vector<AccountRecord> many;
        for (quint32 i = 0; i < 70000; ++i)
            many.push_back(account(i, "n"));
        writeAccounts(many);
        AccountTable table;
        QVERIFY(table.ReadAccRec(5).ok);
        QCOMPARE(table.AccountCount(), 70000);
    }

    void lookupReportsTextAndAllowsReentry() {
        AccountTable table(u"unused"_s);
        table.InsertAcc(account(1000010, "code"));
        QSignalSpy spy(&table, &AccountTable::lookedUp);
        // A directly connected receiver may use the table again: no lock is held while emitting.
        connect(&table, &AccountTable::lookedUp, this, [&table] { table.AccountCount(); });
        QCOMPARE(table.Find_Account(1000010)->accName, "code"_ba);
        QVERIFY(!table.Find_Account(4).has_value());
        QCOMPARE(spy, (QList<QVariantList>{{u"A"_s}, {u"4"_s}}));
    }

    void saveModes_data() {
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<quint32>("number");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QByteArray>("current");

        // Before: table "1a@RX3 5c 5b 9d", current 9d.
        const QByteArray was = "1a@RX3 5c 5b 9d"_ba;
        QTest::newRow("add") << Mode::Add << 5u << was + " 5n"
                             << "1a@RX3 5n 5c 5b 9d"_ba
                             << "n"_ba;
        QTest::newRow("update") << Mode::Update << 5u << "1a@RX3 9d 5n"_ba
                                << "1a@RX3 5n 9d"_ba
                                << "d"_ba;
        QTest::newRow("update, none") << Mode::Update << 7u << was + " 7n"
                                      << "1a@RX3 5c 5b 7n 9d"_ba
                                      << "n"_ba;
        QTest::newRow("delete") << Mode::Delete << 5u << "1a@RX3 9d"_ba
                                << "1a@RX3 9d"_ba
                                << "a"_ba;
    }

    void saveModes() {
        QFETCH(Mode, mode);
        QFETCH(quint32, number);
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, table);
        QFETCH(QByteArray, current);

        TempEnvironment env;
        writeAccounts({account(1, "a"), account(5, "b"), account(5, "c"), account(9, "d")});
        AccountTable accounts;
        QVERIFY(accounts.ReadAccRec(5).ok);
        QVERIFY(accounts.setLastNuaIp(1, "RX3"));
        accounts.setCurrentIndex(3);
        QSignalSpy changed(&accounts, &AccountTable::changed);

        QVERIFY(accounts.save(mode, account(number, "n")).ok);
        QCOMPARE(describeFile(env.readFile(u"Accounts.PDB"_s)), file);
        QCOMPARE(describe(accounts.records()), table);
        QCOMPARE(accounts.CurrentAccount()->accName, current);
        QCOMPARE(changed.size(), 1);
    }

    // The write fails part-way, as on a full disk: the old file must survive whole.
    void failedSaveMidWriteKeepsOldFile() {
        TempEnvironment env;
        writeAccounts({account(1, "a"), account(5, "b")});
        const QByteArray before = env.readFile(u"Accounts.PDB"_s);
        AccountTable table;
        QVERIFY(table.ReadAccRec(0).ok);

        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 150;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const AccountTable::Result result = table.save(Mode::Add, account(3, "c"));
        setrlimit(RLIMIT_FSIZE, &old);

        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(env.readFile(u"Accounts.PDB"_s), before);
        QCOMPARE(describe(table.records()), "1a 5b"_ba);
        QCOMPARE(QDir(env.path()).entryList(QDir::Files), QStringList{u"Accounts.PDB"_s});
    }

    void unreadableFileReportedAndKept() {
        TempEnvironment env;
        QVERIFY(QDir(env.path()).mkdir(u"Accounts.PDB"_s));
        AccountTable table;
        table.InsertAcc(account(1, "a"));
        QVERIFY(!table.ReadAccRec(5).error.isEmpty());
        QVERIFY(QFileInfo(env.filePath(u"Accounts.PDB"_s)).isDir());
        QCOMPARE(describe(table.records()), "1a"_ba);
    }

    // A file that exists but could not be read holds accounts nobody has seen: no save may
    // replace it with the (empty) table until a later load has read it.
    void unreadFileIsNotSavedOverUntilReadAgain() {
        TempEnvironment env;
        const QString path = env.filePath(u"Accounts.PDB"_s);
        QVERIFY(makeUnreadableFile(path));
        AccountTable table;
        const AccountTable::Result load = table.ReadAccRec(5);
        QVERIFY(!load.ok);
        QVERIFY(!load.error.isEmpty());
        for (Mode mode : {Mode::Add, Mode::Update, Mode::Delete}) {
            const AccountTable::Result saved = table.save(mode, account(7, "n"));
            QVERIFY(!saved.ok);
            QVERIFY(saved.error.contains(u"Accounts.PDB"_s));
            QVERIFY(QFileInfo(path).exists() && !QFileInfo(path).isFile());
        }
        QCOMPARE(table.AccountCount(), 0);

        QVERIFY(QFile::remove(path));
        writeAccounts({account(1, "a")});
        QVERIFY(table.ReadAccRec(5).ok);
        QVERIFY(table.save(Mode::Add, account(7, "n")).ok);
        QCOMPARE(describeFile(env.readFile(u"Accounts.PDB"_s)), "1a 7n"_ba);
    }

    // Bytes 98 to 103 belong to nobody here: every save writes back what the file held, an
    // update keeps those of the record it replaces, and a new record gets zeros.
    void reservedBytesKeptOnEverySave() {
        TempEnvironment env;
        QByteArray first = accountImage(account(1, "a"));
        QByteArray second = accountImage(account(5, "b"));
        first.replace(98, 6, "\x01\x02\x03\x04\x05\x06"_ba);
        second.replace(98, 6, "RSVD\xFF\x80"_ba);
        {
            QFile file(u"Accounts.PDB"_s);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(first + second);
        }
        AccountTable table;
        QVERIFY(table.ReadAccRec(0).ok);
        QVERIFY(table.save(Mode::Update, account(5, "B")).ok);
        QVERIFY(table.save(Mode::Add, account(9, "c")).ok);
        const QByteArray saved = env.readFile(u"Accounts.PDB"_s);
        QCOMPARE(saved.size(), 3 * 104);
        QCOMPARE(describeFile(saved), "1a 5B 9c"_ba);
        QCOMPARE(saved.mid(98, 6), "\x01\x02\x03\x04\x05\x06"_ba);
        QCOMPARE(saved.mid(104 + 98, 6), "RSVD\xFF\x80"_ba);
        QCOMPARE(saved.mid(208 + 98, 6), QByteArray(6, '\0'));
        QCOMPARE(table.records().at(1).accName, "B"_ba);
    }

    void updateKeepsNumberAndFieldSizes() {
        AccountTable table(u"unused"_s);
        table.InsertAcc(account(5, "a"));
        QVERIFY(!table.setLastNuaIp(6, "x"));
        QVERIFY(table.update(5, [](AccountRecord &r) {
            r.accNum = 2;
            r.accName = QByteArray(40, 'n');
        }));
        QVERIFY(table.setLastNuaIp(5, QByteArray(25, 'i')));
        QCOMPARE(describe(table.records()), "5" + QByteArray(30, 'n') + '@' + QByteArray(20, 'i'));
    }

    void lookupsRaceWithChanges() {
        TempEnvironment env;
        AccountTable table;
        QVERIFY(table.ReadAccRec(5).ok);
        std::atomic<bool> started{false}, done{false};
        std::atomic<int> torn{0};
        std::unique_ptr<QThread> reader(QThread::create([&] {
            for (quint32 i = 0; !done; ++i) {
                started = true;
                const auto found = table.Find_Account(i % 2000);
                if (found && found->accName != QByteArray::number(found->accNum))
                    ++torn;
            }
        }));
        reader->start();
        QTRY_VERIFY(started);
        for (quint32 i = 0; i < 2000; ++i) {
            table.InsertAcc(account(i, QByteArray::number(i)));
            if (i % 200 == 0)
                QVERIFY(table.save(Mode::Delete, account(i, "")).ok);
        }
        done = true;
        QVERIFY(reader->wait(60000));
        QCOMPARE(torn.load(), 0);
        QCOMPARE(table.AccountCount(), 1990);
    }
};

QTEST_GUILESS_MAIN(TestAccountTable)
#include "test_accounttable.moc"
