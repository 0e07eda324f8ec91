#include "settings/settings.h"
#include "settings/settingsstore.h"
#include "support/tempenvironment.h"

#include <QFile>
#include <QSettings>
#include <QtTest>

// The settings store on a real INI file in a temporary directory.
class SettingsStoreTest : public QObject {
    Q_OBJECT

    static void writeRaw(const QString &path, const QByteArray &content) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

private slots:
    void emptyStoreGivesDefaultsAndWritesTheWholeTable() {
        TempEnvironment env;
        Settings settings;
        auto store = openSettingsStore();
        QCOMPARE(store->fileName(), env.settingsFile());
        Read_Registry(settings, *store);
        QCOMPARE(settings.text(SettingKey::RxNum), QStringLiteral("04"));
        QCOMPARE(settings.integer(SettingKey::Port1Speed), 3);
        QVERIFY(settings.flag(SettingKey::ProcessData));
        QVERIFY(!settings.flag(SettingKey::Port1Open));
        Write_Registry(settings, *store);
        store.reset();

        QSettings check(env.settingsFile(), QSettings::IniFormat);
        QCOMPARE(check.childGroups(), (QStringList{"Devices", "Integers", "Logic", "Strings"}));
        check.beginGroup(QStringLiteral("Integers"));
        QCOMPARE(check.childKeys().size(), 9);
        QCOMPARE(check.value("Port 1 Speed").toString(), QStringLiteral("3"));
        QCOMPARE(check.value("PollTimeOut").toString(), QStringLiteral("1"));
        check.endGroup();
        check.beginGroup(QStringLiteral("Strings"));
        QCOMPARE(check.childKeys().size(), 22);
        QCOMPARE(check.value("Tx IP Add").toString(), QStringLiteral("192.168.0.1"));
        QCOMPARE(check.value("Language").toString(), QString()); // no choice made yet
        QCOMPARE(check.value("Tx IP Add2").toString(), QString());
        QCOMPARE(check.value("Forwarding Monitors").toString(), QString());
        QCOMPARE(check.value("PW").toString(), QStringLiteral("6158"));
        check.endGroup();
        check.beginGroup(QStringLiteral("Logic"));
        QCOMPARE(check.childKeys().size(), 28);
        QCOMPARE(check.value("Tx Ack").toString(), QStringLiteral("1"));
        QCOMPARE(check.value("DC09 On").toString(), QStringLiteral("1"));
        QCOMPARE(check.value("DC09 Accept Clear").toString(), QStringLiteral("1"));
        QCOMPARE(check.value("DC09 Check Clear Time").toString(), QStringLiteral("0"));
        QCOMPARE(check.value("Known accounts only").toString(), QStringLiteral("0"));
        QCOMPARE(check.value("Spare Open").toString(), QStringLiteral("0"));
        check.endGroup();
        QCOMPARE(check.value("Devices/Com1").toString(), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(check.value("Devices/Com9").toString(), QStringLiteral("/dev/ttyS8"));
    }

    void readingRules_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("readBack"); // the stored text after reading and writing back

        QTest::newRow("integer not a number gives default")
            << QByteArray("[Integers]\nPort 1 Speed=fast\n") << int(SettingKey::Port1Speed) << "3";
        QTest::newRow("logic not a number gives default")
            << QByteArray("[Logic]\nProcess Data=yes\n") << int(SettingKey::ProcessData) << "1";
        QTest::newRow("logic 5 counts as set")
            << QByteArray("[Logic]\nPort 1 Parity=5\n") << int(SettingKey::Port1Parity) << "1";
        QTest::newRow("logic 0 stays clear")
            << QByteArray("[Logic]\nPort 1 Parity=0\n") << int(SettingKey::Port1Parity) << "0";
        QTest::newRow("existing empty string stays empty")
            << QByteArray("[Strings]\nRX Num=\n") << int(SettingKey::RxNum) << "";
        QTest::newRow("missing string gives default")
            << QByteArray("[Strings]\n") << int(SettingKey::RxNum) << "04";
        QTest::newRow("drop-down index past its list")
            << QByteArray("[Integers]\nPort 1 Num=9\n") << int(SettingKey::Port1Num) << "-1";
        QTest::newRow("tx port list has TCP/IP at 9")
            << QByteArray("[Integers]\nTx Num=9\n") << int(SettingKey::TxNum) << "9";
        QTest::newRow("negative drop-down index") << QByteArray("[Integers]\nOutput Format=-3\n")
                                                  << int(SettingKey::OutputFormat) << "-1";
        QTest::newRow("poll allowance clamped high") << QByteArray("[Integers]\nPollTimeOut=5000\n")
                                                     << int(SettingKey::PollTimeOut) << "999";
        QTest::newRow("poll allowance clamped low")
            << QByteArray("[Integers]\nPollTimeOut=-4\n") << int(SettingKey::PollTimeOut) << "0";
        QTest::newRow("connection limit 0 means not set")
            << QByteArray("[Integers]\nMax Connections=0\n") << int(SettingKey::MaxConnections)
            << "20000";
        QTest::newRow("connection limit clamped high")
            << QByteArray("[Integers]\nMax Connections=5000000\n")
            << int(SettingKey::MaxConnections) << "1000000";
        QTest::newRow("hand-written comma")
            << QByteArray("[Strings]\nTx IP Add=10.0.0.1, 10.0.0.2\n") << int(SettingKey::TxIpAdd)
            << "10.0.0.1, 10.0.0.2";
        QTest::newRow("quoted text with a comma")
            << QByteArray("[Strings]\nPW=\"a,b\"\n") << int(SettingKey::Password) << "a,b";
        // Hand-edited lists: the text as it stands on its line, up to a comment.
        QTest::newRow("hand-edited comma, no blank")
            << QByteArray("[Strings]\nPW=61,58\n") << int(SettingKey::Password) << "61,58";
        QTest::newRow("hand-edited comma, blanks and comment")
            << QByteArray("[Strings]\r\nPW = 61 ,58 ; the new one\r\n") << int(SettingKey::Password)
            << "61 ,58";
        QTest::newRow("hand-edited comma after a quoted part")
            << QByteArray("[Strings]\nPW=\"a;\",b\n") << int(SettingKey::Password) << "\"a;\",b";
        QTest::newRow("hand-edited comma, escaped key, last line counts")
            << QByteArray("[Strings]\nTCP%20Port=1,2\n[Logic]\nTCP Port=7,7\n[Strings]\n"
                          "TCP Port=10,001\n")
            << int(SettingKey::TcpPort) << "10,001";
        QTest::newRow("hand-edited list is no integer")
            << QByteArray("[Integers]\nPort 1 Speed=1,2\n") << int(SettingKey::Port1Speed) << "3";
    }

    void readingRules() {
        QFETCH(QByteArray, ini);
        QFETCH(int, key);
        QFETCH(QString, readBack);
        TempEnvironment env;
        QDir().mkpath(env.filePath(QStringLiteral("config")));
        writeRaw(env.settingsFile(), ini);

        Settings settings;
        auto store = openSettingsStore();
        Read_Registry(settings, *store);
        QCOMPARE(settings.storedText(SettingKey(key)), readBack);
        Write_Registry(settings, *store);
        store.reset();

        auto again = openSettingsStore();
        Settings reread;
        Read_Registry(reread, *again);
        QCOMPARE(reread.storedText(SettingKey(key)), readBack);
    }

    // Whatever text a field holds is what the next start finds, byte for byte.
    void awkwardTextsReadBackAsWritten_data() {
        QTest::addColumn<QString>("text");
        const QStringList texts{QStringLiteral("61,58"),
                                QStringLiteral("say \"hi\", \"bye\""),
                                QStringLiteral("back\\slash\\"),
                                QStringLiteral("semi;colon ; comment?"),
                                QStringLiteral("  leading, trailing  "),
                                QStringLiteral("\t=a=b== "),
                                QStringLiteral("Grüße, €5; 日本"),
                                QStringLiteral("@at #hash [Strings] %20")};
        for (const QString &text : texts)
            QTest::newRow(qPrintable(text)) << text;
    }
    void awkwardTextsReadBackAsWritten() {
        QFETCH(QString, text);
        TempEnvironment env;
        Settings settings;
        settings.setText(SettingKey::Password, text);
        settings.setText(SettingKey::TxIpAdd2, text);
        settings.setDevice(0, text);
        Write_Registry(settings, *openSettingsStore());
        const QByteArray written = env.readFile(QStringLiteral("config/Voduro.conf"));

        Settings reread;
        QVERIFY(!readSettings(reread).damaged);
        auto store = openSettingsStore();
        QCOMPARE(reread.text(SettingKey::Password), text);
        QCOMPARE(reread.text(SettingKey::TxIpAdd2), text);
        QCOMPARE(reread.device(0), text);
        Write_Registry(reread, *store);
        store.reset();
        QCOMPARE(env.readFile(QStringLiteral("config/Voduro.conf")), written);
    }

    // A file with lines the reader would skip or misread is moved aside unchanged; the settings
    // come from its sound lines, the lines under a broken section line keep the section it
    // names, and a damaged line's value takes its default.
    void damagedFileIsKeptAsideAndItsSoundLinesRead_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("rxNum");
        QTest::addColumn<bool>("inTray");
        QTest::newRow("section line not closed")
            << QByteArray("[Strings]\nPW=1234\nRX Num=77\n[Logic\nIn Tray=0\n")
            << "line 4: section line not closed by \"]\""
            << "1234"
            << "77" << false;
        QTest::newRow("quote not closed")
            << QByteArray("[Strings]\nPW=\"1234\nRX Num=77\n[Logic]\nIn Tray=0\n")
            << "line 2: quote not closed"
            << "6158"
            << "77" << false;
        QTest::newRow("line without =")
            << QByteArray("[Strings]\nPW=1234\nRX Num 77\n[Logic]\nIn Tray=0\n")
            << "line 3: no \"=\""
            << "1234"
            << "04" << false;
        QTest::newRow("backslash joining the next line")
            << QByteArray("[Strings]\nPW=12\\\nRX Num=77\n[Logic]\nIn Tray=0\n")
            << "line 2: ends in \"\\\", which joins the next line to it"
            << "6158"
            << "77" << false;
        QTest::newRow("backslash that escapes nothing")
            << QByteArray("[Strings]\nPW=C:\\data\nRX Num=77\n")
            << "line 2: \"\\\" before a character it cannot escape"
            << "6158"
            << "77" << true;
        QTest::newRow("two damaged lines, CR LF")
            << QByteArray("[Strings] x\r\nPW=1234\r\n# note\r\nRX Num=77\r\n")
            << "line 1: text after the section line's \"]\"; line 3: no \"=\""
            << "1234"
            << "77" << true;
        QTest::newRow("binary") << QByteArray("\xff\xfe\x00\x01binary", 10)
                                << "line 1: not UTF-8 text"
                                << "6158"
                                << "04" << true;
    }
    void damagedFileIsKeptAsideAndItsSoundLinesRead() {
        QFETCH(QByteArray, content);
        QFETCH(QString, damage);
        TempEnvironment env;
        QDir().mkpath(env.filePath(QStringLiteral("config")));
        writeRaw(env.settingsFile(), content);
        Settings settings;
        settings.setText(SettingKey::Password, QStringLiteral("old"));

        const SettingsReadResult result = readSettings(settings);
        QVERIFY(result.damaged);
        QCOMPARE(result.damage, damage);
        QCOMPARE(result.fileName, env.settingsFile());
        QVERIFY(result.keptAs.startsWith(env.settingsFile() + QStringLiteral(".damaged-")));
        QVERIFY(!QFile::exists(env.settingsFile()));
        QFile kept(result.keptAs);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), content);
        QTEST(settings.text(SettingKey::Password), "password");
        QTEST(settings.text(SettingKey::RxNum), "rxNum");
        QTEST(settings.flag(SettingKey::InTray), "inTray");
        QVERIFY(settings.flag(SettingKey::ProcessData));

        Write_Registry(settings, *openSettingsStore());
        QSettings check(env.settingsFile(), QSettings::IniFormat);
        QCOMPARE(check.status(), QSettings::NoError);
        QTEST(check.value("Strings/PW").toString(), "password");
        QCOMPARE(check.childGroups(), (QStringList{"Devices", "Integers", "Logic", "Strings"}));

        // A second damaged file on the same second gets a name of its own.
        writeRaw(env.settingsFile(), content);
        const SettingsReadResult again = readSettings(settings);
        QVERIFY(again.damaged);
        QVERIFY(!again.keptAs.isEmpty());
        QVERIFY(again.keptAs != result.keptAs);
        QVERIFY(QFile::exists(result.keptAs));
    }

    void soundFileIsNotMoved() {
        TempEnvironment env;
        QDir().mkpath(env.filePath(QStringLiteral("config")));
        writeRaw(env.settingsFile(),
                 "[Strings] ; texts\nPW = \"12;\\\"4\" ; quoted\n; a comment\n\n"
                 "RX Num=0\\x34\n[Other]\nx=1\n");
        Settings settings;
        const SettingsReadResult result = readSettings(settings);
        QVERIFY(!result.damaged);
        QVERIFY(result.keptAs.isEmpty());
        QCOMPARE(settings.text(SettingKey::Password), QStringLiteral("12;\"4"));
        QCOMPARE(settings.text(SettingKey::RxNum), QStringLiteral("04"));
        QCOMPARE(QDir(env.filePath(QStringLiteral("config"))).entryList(QDir::Files),
                 QStringList{QStringLiteral("Voduro.conf")});
    }

    // A rewrite keeps the file as it stood as "Voduro.conf.bak"; a write that would change
    // nothing leaves the file and its copy alone; a copy that cannot be written is said, and the
    // values are written all the same.
    void rewriteKeepsThePreviousFile() {
        TempEnvironment env;
        QDir().mkpath(env.filePath(QStringLiteral("config")));
        const QByteArray handEdited("; the centre's notes\n[Strings]\nTCP Port=10002\n");
        writeRaw(env.settingsFile(), handEdited);
        Settings settings;
        QVERIFY(!readSettings(settings).damaged);
        QVERIFY(Write_Registry(settings, *openSettingsStore()));
        QCOMPARE(env.readFile(QStringLiteral("config/Voduro.conf.bak")), handEdited);
        const QByteArray firstWrite = env.readFile(QStringLiteral("config/Voduro.conf"));
        QVERIFY(firstWrite.contains("TCP%20Port=10002"));

        QVERIFY(Write_Registry(settings, *openSettingsStore()));
        QCOMPARE(env.readFile(QStringLiteral("config/Voduro.conf.bak")), handEdited);
        QCOMPARE(env.readFile(QStringLiteral("config/Voduro.conf")), firstWrite);

        settings.setText(SettingKey::RxNum, QStringLiteral("77"));
        QVERIFY(Write_Registry(settings, *openSettingsStore()));
        QCOMPARE(env.readFile(QStringLiteral("config/Voduro.conf.bak")), firstWrite);

        QVERIFY(QFile::remove(env.filePath(QStringLiteral("config/Voduro.conf.bak"))));
        QVERIFY(QDir().mkpath(env.filePath(QStringLiteral("config/Voduro.conf.bak"))));
        settings.setText(SettingKey::RxNum, QStringLiteral("78"));
        QVERIFY(!Write_Registry(settings, *openSettingsStore()));
        QCOMPARE(env.storedValue(QStringLiteral("Strings/RX Num")), QStringLiteral("78"));
    }

    void devicesAreReadAndWrittenBack() {
        TempEnvironment env;
        QDir().mkpath(env.filePath(QStringLiteral("config")));
        writeRaw(env.settingsFile(), "[Devices]\nCom1=/dev/ttyUSB0\n");
        Settings settings;
        auto store = openSettingsStore();
        Read_Registry(settings, *store);
        QCOMPARE(settings.device(0), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(settings.device(1), QStringLiteral("/dev/ttyS1"));
        settings.setDevice(1, QStringLiteral("/dev/pts/7"));
        Write_Registry(settings, *store);
        store.reset();
        QSettings check(env.settingsFile(), QSettings::IniFormat);
        QCOMPARE(check.value("Devices/Com1").toString(), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(check.value("Devices/Com2").toString(), QStringLiteral("/dev/pts/7"));
    }

    void notStoredValuesKeepTheirStartValues() {
        TempEnvironment env;
        Settings settings;
        settings.setText(SettingKey::PollFailCodeSia, QStringLiteral("ZZ"));
        auto store = openSettingsStore();
        Write_Registry(settings, *store);
        store.reset();
        Settings fresh;
        auto again = openSettingsStore();
        Read_Registry(fresh, *again);
        QCOMPARE(fresh.text(SettingKey::PollFailCodeSia), QStringLiteral("YC"));
        QCOMPARE(fresh.text(SettingKey::PollRestCodeSia), QStringLiteral("YK"));
        QVERIFY(!fresh.flag(SettingKey::LogConnections));
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "test_settingsstore.moc"
