#include "accounts/accounttable.h"
#include "app/monitor.h"
#include "engine/engine.h"
#include "support/ptypair.h"
#include "support/tempenvironment.h"
#include "support/unreadablefile.h"
#include "ui/comsetupwindow.h"
#include "ui/exitpasswordwindow.h"
#include "ui/mainwindow.h"
#include "ui/promptanswer.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSerialPort>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>
#include <QtTest>

#include <algorithm>
#include <csignal>

// Start-up and shutdown of the whole program: in this process, and as the real binary.
class StartupTest : public QObject {
    Q_OBJECT

    // Starts the program in the environment's directory with its settings there.
    static void startProgram(QProcess &process, const TempEnvironment &env) {
        env.prepareProgram(process);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(VODURO_BINARY, QStringList());
    }

    // Ends the event loop with `code` once `hops` rounds of posted events have passed: a quit
    // that closing a window asks for (two rounds later) ends it first.
    static void exitBehindPostedEvents(int code, int hops) {
        QMetaObject::invokeMethod(
            qApp,
            [code, hops] {
                if (hops == 0)
                    QCoreApplication::exit(code);
                else
                    exitBehindPostedEvents(code, hops - 1);
            },
            Qt::QueuedConnection);
    }

private slots:
    void firstStartBuildsTheWindowsInOrderAndStoresTheDefaults() {
        TempEnvironment env;
        Monitor monitor;
        QCOMPARE(monitor.mainWindow().windowTitle(),
                 QStringLiteral("Voduro Version 2.19 (Voduro) "));
        QVERIFY(!monitor.comSetupWindow().isVisible());
        QVERIFY(!monitor.engine().setupWindowOpen());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(env.fileExists("Accounts.PDB"));
        QCOMPARE(env.storedValue("Strings/RX Num"), QStringLiteral("04"));
        QCOMPARE(env.storedValue("Logic/Port1 Open"), QStringLiteral("0"));
        QVERIFY(!monitor.engine().isLineStarted(1));
        QVERIFY(!monitor.engine().isLineStarted(5));
    }

    void savedLinesAreStartedAndTheSpareFlagCleared() {
        TempEnvironment env;
        PtyPair pty;
        QVERIFY(
            env.writeSettings("[Logic]\nPort1 Open=1\nSpare Open=1\nTx Open=0\n[Devices]\nCom1=" +
                              pty.slavePath().toLatin1() + "\n"));
        {
            Monitor monitor;
            QVERIFY(monitor.engine().isLineStarted(1));
            QVERIFY(!monitor.engine().isLineStarted(5));
            QCOMPARE(env.storedValue("Logic/Spare Open"), QStringLiteral("0"));
            monitor.shutDown();
            QVERIFY(!monitor.engine().comPort(1).isOpen());
        }
        // The running flag survives the shutdown, so the line comes back at the next start.
        QCOMPARE(env.storedValue("Logic/Port1 Open"), QStringLiteral("1"));
    }

    // The log-on reaches the account page the program builds: its two editing buttons follow it.
    void logOnUngatesTheAccountEditing() {
        TempEnvironment env;
        Monitor monitor;
        AccountRecord record;
        record.accNum = 2468;
        QVERIFY(monitor.accounts().save(AccountTable::SaveMode::Add, record).ok);
        const auto *addUpdate = monitor.mainWindow().findChild<QWidget *>("AddUpdate");
        const auto *edit = monitor.mainWindow().findChild<QWidget *>("AccEdit");
        QVERIFY(addUpdate && edit);
        QVERIFY(!addUpdate->isEnabled() && !edit->isEnabled());
        auto *logOn = monitor.mainWindow().findChild<QAction *>(QStringLiteral("Logon1"));
        PromptAnswer::next(QStringLiteral("6158"));
        logOn->trigger();
        QVERIFY(addUpdate->isEnabled() && edit->isEnabled());
        logOn->trigger();
        QVERIFY(!addUpdate->isEnabled() && !edit->isEnabled());
    }

    // The main window comes back where the operator left it, with the column widths they set;
    // the columns they left alone stay the program's, as everything does with a settings file
    // from before these values. A place no screen shows any more comes back on the screen.
    void windowPlaceAndColumnWidthsComeBackFromTheSettings() {
        TempEnvironment env;
        const auto siaHeader = [](Monitor &monitor) {
            return monitor.mainWindow().findChild<QTableView *>("SIAList")->horizontalHeader();
        };
        int programWidth = 0;
        QRect place;
        {
            Monitor monitor;
            MainWindow &main = monitor.mainWindow();
            QVERIFY(!main.testAttribute(Qt::WA_Moved) && !main.testAttribute(Qt::WA_Resized));
            programWidth = siaHeader(monitor)->sectionSize(0);
            place = QRect(QPoint(40, 30), main.minimumSizeHint() + QSize(60, 40));
            main.setGeometry(place);
            main.show();
            QVERIFY(QTest::qWaitForWindowExposed(&main));
            QCOMPARE(main.geometry(), place);
            siaHeader(monitor)->resizeSection(3, 333); // as the operator's drag does
        }
        QCOMPARE(env.storedValue("Strings/Main Window"),
                 QStringLiteral("40 30 %1 %2").arg(place.width()).arg(place.height()));
        QCOMPARE(env.storedValue("Strings/SIAList Widths"), QStringLiteral("- - - 333 -"));
        QCOMPARE(env.storedValue("Strings/Poll_List Widths"), QString());
        {
            Monitor monitor;
            QCOMPARE(monitor.mainWindow().geometry(), place);
            QVERIFY(!monitor.mainWindow().isMaximized());
            QCOMPARE(siaHeader(monitor)->sectionSize(3), 333);
            QCOMPARE(siaHeader(monitor)->sectionSize(0), programWidth);
        }
        QVERIFY(env.writeSettings("[Strings]\nMain Window=9000 9000 720 520\n"));
        Monitor monitor;
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(screen.contains(monitor.mainWindow().geometry().topLeft()));
    }

    void unwritableLogIsShownInTheStatusBar() {
        TempEnvironment env;
        Monitor monitor;
        QDir().mkdir(env.filePath("Tx_Log.TXT"));
        monitor.settings().setFlag(SettingKey::SaveRx, true);
        QVERIFY(!monitor.logs().appendStamped(LogBook::TxLog, "line"));
        QVERIFY(monitor.mainWindow().statusBar()->currentMessage().startsWith(
            "Cannot write Tx_Log.TXT: "));
        QVERIFY(monitor.logs().appendStamped(LogBook::RxLog, "next"));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    // Closing the main window asks for the password: a refusal or Cancel keeps everything
    // running and writes nothing; a match ends the program, also with "Coms Setup" still
    // showing, and the shutdown writes the settings as they stand.
    void closingAsksForThePasswordThenShutsDown() {
        TempEnvironment env;
        Monitor monitor;
        QFile::remove(env.settingsFile());
        bool setupShownAtClose = false;
        QList<bool> closes;
        QList<bool> portOpenAfterRefusals;
        PtyPair pty;
        monitor.settings().setDevice(0, pty.slavePath());
        QTimer::singleShot(0, &monitor, [&] {
            monitor.mainWindow().findChild<QAction *>(QStringLiteral("Coms1"))->trigger();
            monitor.settings().setText(SettingKey::RxNum, QStringLiteral("77"));
            monitor.engine().startStop(1);
            QTimer::singleShot(0, &monitor, [&] {
                setupShownAtClose = monitor.comSetupWindow().isVisible();
                PromptAnswer::next(QStringLiteral("6159"));
                closes.append(monitor.mainWindow().close());
                PromptAnswer::next(QStringLiteral("6158"), PromptAnswer::Cancel);
                closes.append(monitor.mainWindow().close());
                portOpenAfterRefusals.append(monitor.engine().comPort(1).isOpen());
                portOpenAfterRefusals.append(QFile::exists(env.settingsFile()));
                PromptAnswer::next(QStringLiteral("6158"));
                closes.append(monitor.mainWindow().close());
            });
        });
        // Only a bound for a program that would not end; an ended one returns 0 at once.
        QTimer::singleShot(30000, &monitor, [] { QCoreApplication::exit(3); });
        QCOMPARE(monitor.exec(), 0);
        QCOMPARE(closes, (QList<bool>{false, false, true}));
        QCOMPARE(portOpenAfterRefusals, (QList<bool>{true, false}));
        QVERIFY(setupShownAtClose);
        QVERIFY(!monitor.engine().comPort(1).isOpen());
        QCOMPARE(env.storedValue("Strings/RX Num"), QStringLiteral("77"));
        QCOMPARE(env.storedValue("Logic/Port1 Open"), QStringLiteral("1"));
    }

    // With the main window hidden in the tray, the "Application Password" or "Coms Setup" window
    // is the last one showing: leaving it, whichever way, must not end the monitoring.
    void leavingTheLastShownWindowKeepsTheMonitorRunning_data() {
        QTest::addColumn<QString>("leave");
        for (const char *leave : {"OK", "Cancel", "Escape", "Coms Setup closed"})
            QTest::newRow(leave) << QString::fromLatin1(leave);
    }
    void leavingTheLastShownWindowKeepsTheMonitorRunning() {
        QFETCH(QString, leave);
        TempEnvironment env;
        Monitor monitor;
        QTimer::singleShot(0, &monitor, [&] {
            MainWindow &main = monitor.mainWindow();
            PromptAnswer::next(QStringLiteral("6158"));
            main.logOnOrOff();
            const bool setup = leave == QLatin1String("Coms Setup closed");
            main.findChild<QAction *>(setup ? "Coms1" : "ExitPassword1")->trigger();
            QWidget *window = &monitor.comSetupWindow();
            for (QWidget *topLevel : QApplication::topLevelWidgets()) {
                if (!setup && qobject_cast<ExitPasswordWindow *>(topLevel))
                    window = topLevel;
            }
            QVERIFY(window && window->isVisible());
            main.hide(); // as the minimise to the tray does
            if (setup)
                window->close();
            else if (leave == QLatin1String("Escape"))
                QTest::keyClick(window, Qt::Key_Escape);
            else
                window
                    ->findChild<QPushButton *>(leave == QLatin1String("OK") ? "BitBtn1" : "Cancel")
                    ->click();
            QVERIFY(!window->isVisible());
            exitBehindPostedEvents(7, 10);
        });
        QTimer::singleShot(30000, &monitor, [] { QCoreApplication::exit(3); });
        QCOMPARE(monitor.exec(), 7);
    }

    // A settings file with a damaged line is kept beside, the operator is told, and the monitor
    // runs on what could be read and the defaults, which the end of start-up stores; the save
    // after that keeps that file as "Voduro.conf.bak".
    void damagedSettingsFileIsKeptAndReported_data() {
        QTest::addColumn<QByteArray>("damaged");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("password");
        QTest::newRow("section line not closed")
            << QByteArray("[Strings]\nPW=4321\n[Logic\nIn Tray=0\n")
            << "line 3: section line not closed by \"]\""
            << "4321";
        QTest::newRow("quote not closed")
            << QByteArray("[Strings]\nPW=\"4321\n[Logic]\nIn Tray=0\n")
            << "line 2: quote not closed"
            << "6158";
        QTest::newRow("line without =")
            << QByteArray("[Strings]\nPW=4321\nIn Tray 0\n[Logic]\nIn Tray=0\n")
            << "line 3: no \"=\""
            << "4321";
    }
    void damagedSettingsFileIsKeptAndReported() {
        QFETCH(QByteArray, damaged);
        QFETCH(QString, damage);
        TempEnvironment env;
        QVERIFY(env.writeSettings(damaged));
        Monitor monitor;
        const QStringList kept =
            QDir(env.filePath("config")).entryList({QStringLiteral("Voduro.conf.damaged-*")});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(env.readFile("config/" + kept.first()), damaged);
        QTEST(env.storedValue("Strings/PW"), "password");
        QCOMPARE(env.storedValue("Logic/In Tray"), QStringLiteral("0"));
        const QString report = QStringLiteral("Settings file damaged (%1); kept as %2")
                                   .arg(damage, env.filePath("config/" + kept.first()));
        const QString status = monitor.mainWindow().statusBar()->currentMessage();
        QVERIFY2(status.startsWith(env.settingsFile() + ": " + report), qPrintable(status));
        const QByteArray log = env.readFile("IP_EXPlog.TXT");
        QVERIFY2(log.contains(" -- [" + report.toLocal8Bit()) &&
                     log.contains("] " + env.settingsFile().toLocal8Bit() + "\r\n\r\n"),
                 log.constData());
        QVERIFY(!monitor.logs().saveEnabled());
        QVERIFY(!env.fileExists("config/Voduro.conf.bak"));

        const QByteArray startUpWrite = env.readFile("config/Voduro.conf");
        monitor.settings().setText(SettingKey::RxNum, QStringLiteral("55"));
        monitor.core().saveSettings();
        QCOMPARE(env.readFile("config/Voduro.conf.bak"), startUpWrite);
        QCOMPARE(env.storedValue("Strings/RX Num"), QStringLiteral("55"));
    }

    // An account file that exists but cannot be read is reported and never replaced.
    void unreadableAccountFileIsReportedAndKept() {
        TempEnvironment env;
        QVERIFY(makeUnreadableFile(env.filePath("Accounts.PDB")));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("^Accounts\\.PDB: Account file cannot be read"));
        {
            Monitor monitor;
            QVERIFY(monitor.mainWindow().statusBar()->currentMessage().startsWith(
                "Accounts.PDB: Account file cannot be read ("));
            const QByteArray log = env.readFile("IP_EXPlog.TXT");
            QVERIFY2(log.contains(" -- [Account file cannot be read (") &&
                         log.endsWith("] Accounts.PDB\r\n\r\n"),
                     log.constData());
            QVERIFY(!monitor.accounts().save(AccountTable::SaveMode::Add, AccountRecord{}).ok);
            monitor.shutDown();
        }
        const QFileInfo file(env.filePath("Accounts.PDB"));
        QVERIFY(file.exists() && !file.isFile());
    }

    void programStartsHeadlessAndStopsCleanlyOnSigterm() {
        TempEnvironment env;
        QProcess process;
        startProgram(process, env);
        QVERIFY(process.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(env.settingsFile()), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!env.storedValue("Strings/PW").isEmpty(), 20000);
        QFile::remove(env.settingsFile());
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(env.storedValue("Strings/PW"), QStringLiteral("6158"));
    }

    // The offscreen platform warns as the windows open: Qt's own messages stay off standard
    // error unless --debug-qt asks for them; the program's own lines always pass.
    void qtMessagesOnlyWithTheDebugSwitch() {
        for (const bool debugQt : {false, true}) {
            TempEnvironment env;
            QVERIFY(env.writeSettings("[Strings]\nPW=\"4321\n"));
            QProcess process;
            env.prepareProgram(process);
            process.start(VODURO_BINARY, debugQt ? QStringList{"--debug-qt"} : QStringList());
            QVERIFY(process.waitForStarted(10000));
            QTRY_COMPARE_WITH_TIMEOUT(env.storedValue("Strings/PW"), QStringLiteral("6158"), 20000);
            ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
            QVERIFY(process.waitForFinished(20000));
            QCOMPARE(process.exitCode(), 0);
            QList<QByteArray> lines = process.readAllStandardError().split('\n');
            lines.removeAll(QByteArray());
            const QByteArray own = "voduro: " + env.settingsFile().toLocal8Bit() +
                                   ": Settings file damaged (line 2: quote not closed); kept as ";
            QCOMPARE(lines.size() > 1, debugQt);
            QVERIFY(std::any_of(lines.cbegin(), lines.cend(),
                                [&](const QByteArray &line) { return line.startsWith(own); }));
        }
    }

    void programRestartsZorerUdaOneOnItsSavedDevice() {
        TempEnvironment env;
        PtyPair pty;
        QVERIFY(env.writeSettings(
            "[Logic]\nPort1 Open=1\n[Devices]\nCom1=" + pty.slavePath().toLatin1() + "\n"));
        QProcess process;
        startProgram(process, env);
        QVERIFY(process.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(!env.storedValue("Strings/PW").isEmpty(), 20000);
        QVERIFY(pty.write("RING 1234567\rCONNECT 1200\r"));
        QTest::qWait(600);
        QVERIFY(pty.write("25801181130010010"));
        QCOMPARE(pty.readAtLeast(2, 20000), QByteArray("\x06\r"));
        process.terminate();
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), 0);
    }
};

QTEST_MAIN(StartupTest)
#include "test_startup.moc"
