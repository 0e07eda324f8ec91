#include "support/automationreceiver.h"
#include "support/barepanel.h"
#include "support/displayless.h"
#include "support/ptypair.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

// The monitor as a service: the real binary with --headless on a machine without any display.
class HeadlessTest : public QObject {
    Q_OBJECT

    // A serial line on `device`, the receiver on `ipPort`, the Tx link to `receiverPort`.
    static void writeServiceSettings(const QString &path, quint16 ipPort, quint16 receiverPort,
                                     const QString &device) {
        QSettings store(path, QSettings::IniFormat);
        store.setValue("Logic/Port1 Open", "1");
        store.setValue("Logic/TCP Open", "1");
        store.setValue("Logic/Tx Open", "1");
        store.setValue("Logic/Save Rx", "1");
        store.setValue("Integers/Tx Num", "9");
        store.setValue("Strings/Heart Beat", "0");
        store.setValue("Strings/TCP Port", QString::number(ipPort));
        store.setValue("Strings/Tx IP Add", "127.0.0.1");
        store.setValue("Strings/Tx IP Port", QString::number(receiverPort));
        store.setValue("Devices/Com1", device);
    }

    // The lines of a log file, each without its date-time stamp.
    static QList<QByteArray> unstamped(const QString &path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QList<QByteArray> lines = file.readAll().split('\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        for (QByteArray &line : lines) {
            const qsizetype stamp = line.indexOf(" -- ");
            line = stamp < 0 ? "unstamped: " + line : line.mid(stamp);
        }
        return lines;
    }

private slots:
    // A message on a Zorer-Uda line and one from an IP panel reach the automation receiver on
    // loopback, the logs are written, and SIGTERM takes the service down in the shutdown order
    // with its settings written, its running lines still marked to start again.
    void serialAndIpMessagesAreDeliveredAndSigtermWritesTheSettings() {
        QTemporaryDir directory;
        PtyPair pty;
        AutomationReceiver receiver(AutomationReceiver::Reply::Ack);
        const quint16 ipPort = unusedLoopbackPort();
        const QString work = directory.filePath("work");
        const QString settingsFile = directory.filePath("config/Voduro.conf");
        QVERIFY(QDir().mkpath(work) && QDir().mkpath(directory.filePath("config")));
        // Unwritable on purpose: the failure must reach standard error, stamped.
        QVERIFY(QDir().mkpath(work + "/IP_ACK_log.TXT"));
        writeServiceSettings(settingsFile, ipPort, receiver.port(), pty.slavePath());
        QProcessEnvironment environment = displaylessEnvironment();
        environment.insert("XDG_CONFIG_HOME", directory.filePath("config"));
        QProcess service;
        service.setProcessEnvironment(environment);
        service.setWorkingDirectory(directory.path());
        service.start(VODURO_BINARY,
                      {"--headless", "--workdir", work, "--test-listen-address", "127.0.0.1"});
        QVERIFY(service.waitForStarted(10000));

        // The server is started last but one: once it answers, the serial line is open.
        QTRY_VERIFY_WITH_TIMEOUT(barePanelDelivered(ipPort, "IP TEST"), 20000);
        QVERIFY(pty.write("RING 1234567\rCONNECT 1200\r"));
        QTest::qWait(600); // the call announcement is framed apart from the message
        QVERIFY(pty.write("22468181130010035"));
        QCOMPARE(pty.readAtLeast(2, 20000), QByteArray("\x06\r"));
        const QByteArray serialLine("5041 182468E13001003\x14");
        QTRY_COMPARE_WITH_TIMEOUT(receiver.received(), serialLine, 20000);
        QVERIFY(barePanelDelivered(ipPort, "17531555555551"));
        QTRY_COMPARE_WITH_TIMEOUT(receiver.received(), serialLine + "80417531 5555 5555 1\x14",
                                  20000);

        QCOMPARE(unstamped(work + "/Rx_Log.TXT"),
                 (QList<QByteArray>{" -- [1234567]22468181130010035\r",
                                    " -- [127.0.0.1]17531555555551\r"}));
        QCOMPARE(unstamped(work + "/Tx_Log.TXT"),
                 (QList<QByteArray>{" -- 5041 182468E13001003\r", " -- 80417531 5555 5555 1\r"}));
        QVERIFY(QFileInfo(work + "/Accounts.PDB").isFile());
        QVERIFY(!QFile::exists(directory.filePath("Accounts.PDB")));

        QVERIFY(QFile::remove(settingsFile));
        ::kill(static_cast<pid_t>(service.processId()), SIGTERM);
        QVERIFY(service.waitForFinished(20000));
        QCOMPARE(service.exitStatus(), QProcess::NormalExit);
        QCOMPARE(service.exitCode(), 0);
        QSettings written(settingsFile, QSettings::IniFormat);
        QCOMPARE(written.value("Logic/Port1 Open").toString(), "1");
        QCOMPARE(written.value("Logic/TCP Open").toString(), "1");
        QCOMPARE(written.value("Logic/Tx Open").toString(), "1");
        QCOMPARE(written.value("Strings/PW").toString(), "6158");
        // Nothing listens any more.
        QTcpSocket late;
        late.connectToHost(QHostAddress::LocalHost, ipPort);
        QVERIFY(!late.waitForConnected(5000));

        const QByteArray err = service.readAllStandardError();
        static const QRegularExpression stamped(
            "(^|\n)\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d Log: Cannot write IP_ACK_log.TXT: ");
        QVERIFY2(stamped.match(QString::fromLocal8Bit(err)).hasMatch(), err.constData());
    }

    // A hand-edited settings file with a quote left open: the lines after it still configure
    // the Tx link, whose receiver is unreachable. Standard error holds the damage and the fault,
    // stamped, and nothing of Qt's, even with Qt's own messages let through: no line is written
    // into a connection that is not yet made.
    void damagedSettingsAndUnreachableReceiverLeaveOnlyTheirOwnLines() {
        QTemporaryDir directory;
        const QString settingsFile = directory.filePath("config/Voduro.conf");
        QVERIFY(QDir().mkpath(directory.filePath("config")));
        QFile file(settingsFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Strings]\nPW=\"61\nTx IP Add=127.0.0.1\nTx IP Port=" +
                   QByteArray::number(unusedLoopbackPort()) +
                   "\nTX Timeout=1\nTX Att=2\nHeart Beat=1\n[Integers]\nTx Num=9\n[Logic]\n"
                   "Tx Open=1\n");
        file.close();
        QProcessEnvironment environment = displaylessEnvironment();
        environment.insert("XDG_CONFIG_HOME", directory.filePath("config"));
        QProcess service;
        service.setProcessEnvironment(environment);
        service.setWorkingDirectory(directory.path());
        service.start(VODURO_BINARY, {"--headless", "--debug-qt"});
        QVERIFY(service.waitForStarted(10000));

        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT((err += service.readAllStandardError()).contains("Tx link: FAULT"),
                                 20000);
        ::kill(static_cast<pid_t>(service.processId()), SIGTERM);
        QVERIFY(service.waitForFinished(20000));
        QCOMPARE(service.exitCode(), 0);
        err += service.readAllStandardError();
        const QStringList kept = QDir(directory.filePath("config")).entryList({"Voduro.conf.dam*"});
        QCOMPARE(kept.size(), 1);
        const QString stamp("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d ");
        const QRegularExpression expected(
            "^" + stamp + QRegularExpression::escape(settingsFile) +
            QRegularExpression::escape(": Settings file damaged (line 2: quote not closed); kept "
                                       "as " +
                                       directory.filePath("config/" + kept.first()) +
                                       "; the other values read, defaults for the rest\n") +
            stamp + "Tx link: FAULT\n$");
        QVERIFY2(expected.match(QString::fromLocal8Bit(err)).hasMatch(), err.constData());
        QCOMPARE(QSettings(settingsFile, QSettings::IniFormat).value("Strings/PW").toString(),
                 QStringLiteral("6158"));
    }

    // The windows asked for where no display can be reached: said in one line, then the monitor
    // runs as --headless would, and stops cleanly on SIGTERM.
    void windowsWithoutADisplayRunTheServiceInstead_data() {
        QTest::addColumn<QString>("display");
        QTest::newRow("no display named") << QString();
        // The X11 platform named too, so that a desktop session's own display is not found
        // instead.
        QTest::newRow("display that cannot be reached") << QStringLiteral(":97");
    }
    void windowsWithoutADisplayRunTheServiceInstead() {
        QFETCH(QString, display);
        QTemporaryDir directory;
        const quint16 ipPort = unusedLoopbackPort();
        {
            QSettings store(directory.filePath("config/Voduro.conf"), QSettings::IniFormat);
            store.setValue("Logic/TCP Open", "1");
            store.setValue("Strings/TCP Port", QString::number(ipPort));
            // Within any open-file limit: a higher setting is said to be cut down.
            store.setValue("Integers/Max Connections", "100");
        }
        QProcessEnvironment environment = displaylessEnvironment();
        environment.insert("XDG_CONFIG_HOME", directory.filePath("config"));
        if (!display.isEmpty()) {
            environment.insert("DISPLAY", display);
            environment.insert("QT_QPA_PLATFORM", "xcb");
        }
        QProcess monitor;
        monitor.setProcessEnvironment(environment);
        monitor.setWorkingDirectory(directory.path());
        monitor.start(VODURO_BINARY, {"--test-listen-address", "127.0.0.1"});
        QVERIFY(monitor.waitForStarted(10000));

        QTRY_VERIFY_WITH_TIMEOUT(barePanelDelivered(ipPort, "IP TEST"), 20000);
        ::kill(static_cast<pid_t>(monitor.processId()), SIGTERM);
        QVERIFY(monitor.waitForFinished(20000));
        QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(monitor.exitCode(), 0);
        QCOMPARE(monitor.readAllStandardError(),
                 QByteArray("No display found: running without windows (start with --headless "
                            "to say so; set DISPLAY for the windows)\n"));
        QCOMPARE(QSettings(directory.filePath("config/Voduro.conf"), QSettings::IniFormat)
                     .value("Logic/TCP Open")
                     .toString(),
                 QStringLiteral("1"));
    }
};

QTEST_GUILESS_MAIN(HeadlessTest)
#include "test_headless.moc"
