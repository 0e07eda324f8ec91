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
        QCOMPARE(check.childKeys().size(), 8);
        QCOMPARE(check.value("Port 1 Speed").toString(), QStringLiteral("3"));
        QCOMPARE(check.value("PollTimeOut").toString(), QStringLiteral("1"));
        check.endGroup();
        check.beginGroup(QStringLiteral("Strings"));
        QCOMPARE(check.childKeys().size(), 14);
        QCOMPARE(check.value("Tx IP Add").toString(), QStringLiteral("192.168.0.1"));
        QCOMPARE(check.value("Tx IP Add2").toString(), QString());
        QCOMPARE(check.value("PW").toString(), QStringLiteral("6158"));
        check.endGroup();
        check.beginGroup(QStringLiteral("Logic"));
        QCOMPARE(check.childKeys().size(), 24);
        QCOMPARE(check.value("Tx Ack").toString(), QStringLiteral("1"));
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
        QTest::newRow("hand-written comma")
            << QByteArray("[Strings]\nTx IP Add=10.0.0.1, 10.0.0.2\n") << int(SettingKey::TxIpAdd)
            << "10.0.0.1, 10.0.0.2";
        QTest::newRow("quoted text with a comma")
            << QByteArray("[Strings]\nPW=\"a,b\"\n") << int(SettingKey::Password) << "a,b";
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
