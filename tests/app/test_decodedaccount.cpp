#include "accounts/accountnumbers.h"
#include "accounts/accountrecord.h"
#include "app/monitor.h"
#include "engine/engine.h"
#include "support/tempenvironment.h"
#include "ui/comsetupwindow.h"

#include <QFile>
#include <QLineEdit>
#include <QtTest>

// The Coms Setup window's "Account" field shows the account of the last message decoded, as the
// program wires it.
class DecodedAccountTest : public QObject {
    Q_OBJECT

    // Queues an accepted message and lets one tick hand it to the decoder.
    static void decode(Monitor &monitor, const QByteArray &source, const QByteArray &message) {
        monitor.engine().pendingMessages().append(source, message);
        monitor.engine().tick();
        QVERIFY(monitor.engine().pendingMessages().isEmpty());
    }

private slots:
    void accountFieldShowsTheDecodedAccount() {
        TempEnvironment env;
        Monitor monitor;
        const auto *field = monitor.comSetupWindow().findChild<QLineEdit *>("FindAcc");
        QVERIFY(field);

        // Contact ID sends a "0" as "A": the account looked up is 7501.
        decode(monitor, "1234567", "275A1181130010157");
        QCOMPARE(field->text(), QStringLiteral("7501"));
        // A code with a letter is shown in its own form, its leading zero lost.
        decode(monitor, "127.0.0.1", "POLL0A#I");
        QCOMPARE(field->text(), QStringLiteral("A"));
        // A forward is looked up under the account of the line it carries.
        decode(monitor, "RX3", "95041 181230E13001003");
        QCOMPARE(field->text(), QStringLiteral("1230"));
        decode(monitor, "RX3", "3D#2468xHNri1BA001y@");
        QCOMPARE(field->text(), QStringLiteral("2468"));
        // An invalid Contact ID message has no account, so nothing is looked up.
        decode(monitor, "RX3", "27531182130010157");
        decode(monitor, "RX3", "2753181130010157");
        QCOMPARE(field->text(), QStringLiteral("2468"));
    }

    // An account written "123A" does not get its panel's Contact ID reports, which carry 1230:
    // the monitor says so once for each such account of the account and key files it loads.
    void accountsWrittenWithAForZeroAreNamedAtLoad() {
        TempEnvironment env;
        QByteArray records;
        for (const char *text : {"123A", "5801", "12BC"}) {
            AccountRecord record;
            record.accNum = *NumericalAccNum(text);
            records += accountImage(record);
        }
        QFile accounts(env.filePath("Accounts.PDB"));
        QVERIFY(accounts.open(QIODevice::WriteOnly) && accounts.write(records) == records.size());
        accounts.close();
        QFile keys(env.filePath("Dc09Keys.txt"));
        QVERIFY(keys.open(QIODevice::WriteOnly));
        keys.write("124a AAAAAAAAAAAAAAAA\n123A BBBBBBBBBBBBBBBB\n");
        keys.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("account 123A: Contact ID"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("account 124a: Contact ID"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("DC-09 key file can be read"));
        Monitor monitor;
        QByteArrayList notes;
        for (const QByteArray &line : env.readFile("IP_EXPlog.TXT").split('\n')) {
            if (line.contains("Contact ID sends 0"))
                notes.append(line.mid(line.indexOf(" -- ") + 4).trimmed());
        }
        QCOMPARE(notes,
                 QByteArrayList({"[account 123A: Contact ID sends 0 as \"A\", so its panel's "
                                 "Contact ID reports carry account 1230 and are taken as "
                                 "1230, not as 123A] Accounts.PDB",
                                 "[account 124a: Contact ID sends 0 as \"A\", so its panel's "
                                 "Contact ID reports carry account 1240 and are taken as "
                                 "1240, not as 124a] ./Dc09Keys.txt"}));
        monitor.shutDown();
    }
};

QTEST_MAIN(DecodedAccountTest)
#include "test_decodedaccount.moc"
