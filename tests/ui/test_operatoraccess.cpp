#include "promptanswer.h"
#include "ui/exitpasswordwindow.h"
#include "ui/traycontrol.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>

// Log-on and log-off, what the log-on gates, the password asked before the monitor closes, and
// minimising to the tray.
class OperatorAccessTest : public QObject {
    Q_OBJECT

    struct Access : WindowFixture {
        PasswordPrompt prompt{&main};
        ExitPasswordWindow exitPassword{settings};

        Access() {
            main.setPasswordPrompt(&prompt);
            main.setExitPasswordWindow(&exitPassword);
            main.resize(900, 600);
            main.show();
        }
        bool menuShown(const char *name) {
            return control<QMenu>(QString::fromLatin1(name))->menuAction()->isVisible();
        }
        QAction *action(const char *name) { return control<QAction>(QString::fromLatin1(name)); }
        // Logs on or off through the menu, answering a prompt if one comes.
        std::shared_ptr<PromptAnswer> clickLogOn(const QString &typed,
                                                 PromptAnswer::Leave leave = PromptAnswer::Ok) {
            auto answer = PromptAnswer::next(typed, leave);
            action("Logon1")->trigger();
            answer->retire();
            return answer;
        }
    };

private slots:
    void logOnOpensExactlyTheGatedMenus() {
        Access f;
        QVERIFY(!f.main.isLoggedOn());
        QVERIFY(!f.menuShown("Lang1") && !f.menuShown("Setup"));
        QCOMPARE(f.action("Logon1")->text(), QStringLiteral("Log on"));
        QSignalSpy changed(&f.main, &MainWindow::loggedOnChanged);
        const QList<QWidget *> ungated{f.control<QPushButton>(QStringLiteral("Button1")),
                                       f.control<QPushButton>(QStringLiteral("ClrPageBtn"))};

        const auto answer = f.clickLogOn(QStringLiteral("6158"));
        QVERIFY(answer->shown);
        QCOMPARE(answer->caption, QStringLiteral("Log on"));
        QCOMPARE(answer->fieldOnShow, QString());
        QVERIFY2((answer->geometry.center() - f.main.frameGeometry().center()).manhattanLength() <=
                     2,
                 "the prompt is centred on the main window");
        QVERIFY(f.main.isLoggedOn());
        QVERIFY(f.menuShown("Lang1") && f.menuShown("Setup"));
        QCOMPARE(f.action("Logon1")->text(), QStringLiteral("Log off"));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).toBool(), true);
        for (QWidget *widget : ungated)
            QVERIFY(widget->isEnabled() && widget->isVisible());
        QVERIFY(f.dialogs.asked.isEmpty());
    }

    void refusedEntriesChangeNothing_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("leave");
        QTest::newRow("wrong case") << "secret" << int(PromptAnswer::Ok);
        QTest::newRow("empty") << "" << int(PromptAnswer::Ok);
        QTest::newRow("right, then Cancel") << "Secret" << int(PromptAnswer::Cancel);
        QTest::newRow("right, then Escape") << "Secret" << int(PromptAnswer::Escape);
        QTest::newRow("right, then closed") << "Secret" << int(PromptAnswer::CloseWindow);
    }
    void refusedEntriesChangeNothing() {
        QFETCH(QString, typed);
        QFETCH(int, leave);
        Access f;
        f.settings.setText(SettingKey::Password, QStringLiteral("Secret"));
        QSignalSpy changed(&f.main, &MainWindow::loggedOnChanged);
        QVERIFY(f.clickLogOn(typed, PromptAnswer::Leave(leave))->shown);
        QVERIFY(!f.main.isLoggedOn());
        QVERIFY(!f.menuShown("Lang1") && !f.menuShown("Setup"));
        QCOMPARE(f.action("Logon1")->text(), QStringLiteral("Log on"));
        QCOMPARE(changed.size(), 0);
        QVERIFY(f.dialogs.asked.isEmpty());
        // What was typed is gone before the next prompt.
        const auto next = f.clickLogOn(QStringLiteral("Secret"));
        QCOMPARE(next->fieldOnShow, QString());
        QVERIFY(f.main.isLoggedOn());
    }

    void logOffAsksNothingAndClosesTheSettingsWindows() {
        Access f;
        f.clickLogOn(QStringLiteral("6158"));
        f.action("Coms1")->trigger();
        QVERIFY(f.setup.isVisible());
        f.action("ExitPassword1")->trigger();
        QVERIFY(f.exitPassword.isVisible());
        f.exitPassword.findChild<QLineEdit *>(QStringLiteral("PasswordToExit"))
            ->setText(QStringLiteral("half"));

        QVERIFY(!f.clickLogOn(QStringLiteral("6158"))->shown);
        QVERIFY(!f.main.isLoggedOn());
        QVERIFY(!f.menuShown("Lang1") && !f.menuShown("Setup"));
        QVERIFY(f.setup.isHidden());
        QVERIFY(!f.engine.setupWindowOpen());
        QVERIFY(f.exitPassword.isHidden());
        QCOMPARE(f.settings.text(SettingKey::Password), QStringLiteral("6158"));
        QCOMPARE(f.action("Logon1")->text(), QStringLiteral("Log on"));

        QVERIFY(f.clickLogOn(QStringLiteral("6158"))->shown); // logging on again asks again
        QVERIFY(f.main.isLoggedOn());
    }

    void closingAlwaysAsksForThePassword_data() {
        QTest::addColumn<bool>("loggedOn");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("leave");
        QTest::addColumn<bool>("closes");
        QTest::newRow("wrong") << false << "6159" << int(PromptAnswer::Ok) << false;
        QTest::newRow("right, then Cancel")
            << false << "6158" << int(PromptAnswer::Cancel) << false;
        QTest::newRow("logged on, Cancel") << true << "6158" << int(PromptAnswer::Cancel) << false;
        QTest::newRow("right") << false << "6158" << int(PromptAnswer::Ok) << true;
        QTest::newRow("logged on, right") << true << "6158" << int(PromptAnswer::Ok) << true;
    }
    void closingAlwaysAsksForThePassword() {
        QFETCH(bool, loggedOn);
        QFETCH(QString, typed);
        QFETCH(int, leave);
        QFETCH(bool, closes);
        Access f;
        if (loggedOn)
            f.clickLogOn(QStringLiteral("6158"));
        QSignalSpy closed(&f.main, &MainWindow::closed);
        const auto answer = PromptAnswer::next(typed, PromptAnswer::Leave(leave));
        QCOMPARE(f.main.close(), closes);
        answer->retire();
        QVERIFY(answer->shown);
        QCOMPARE(answer->caption, QStringLiteral("Close Application"));
        QCOMPARE(closed.size(), closes ? 1 : 0);
        QCOMPARE(f.main.isVisible(), !closes);
        QVERIFY(f.dialogs.asked.isEmpty());
    }

    void endOfSessionAsksOnlyWhenItMay() {
        Access f;
        QSignalSpy closed(&f.main, &MainWindow::closed);
        auto unasked = PromptAnswer::next(QStringLiteral("wrong"));
        QVERIFY(f.main.sessionMayEnd(false));
        unasked->retire();
        QVERIFY(!unasked->shown);
        QCOMPARE(closed.size(), 0); // the stop signal that follows ends the program

        auto wrong = PromptAnswer::next(QStringLiteral("wrong"));
        QVERIFY(!f.main.sessionMayEnd(true));
        QVERIFY(wrong->shown);
        QCOMPARE(closed.size(), 0);
        PromptAnswer::next(QStringLiteral("6158"));
        QVERIFY(f.main.sessionMayEnd(true));
        QCOMPARE(closed.size(), 1);
    }

    // The offscreen platform has no tray: minimising stays ordinary, whatever "Run in Tray" says.
    void withoutATrayMinimisingIsOrdinary() {
        Access f;
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        QVERIFY(f.control<QCheckBox>(QStringLiteral("UseTray"))->isChecked());
        f.action("Coms1")->trigger();
        f.main.showMinimized();
        QTRY_VERIFY(f.main.isMinimized());
        QCoreApplication::processEvents();
        QVERIFY(f.main.isVisible());
        QVERIFY(f.setup.isVisible());
        QVERIFY(!f.main.tray()->icon()->isVisible());
    }

    void trayHidesAndRestoresBothWindows() {
        Access f;
        TrayControl *tray = f.main.tray();
        tray->setTrayAvailable([] { return true; });
        f.action("Coms1")->trigger();
        QCOMPARE(tray->icon()->toolTip(), QStringLiteral("Voduro"));
        QVERIFY(!tray->icon()->icon().isNull());

        f.main.showMinimized();
        QTRY_VERIFY(f.main.isHidden());
        QVERIFY(f.setup.isHidden());
        QVERIFY(f.engine.setupWindowOpen()); // only hidden, still open
        QVERIFY(tray->icon()->isVisible());
        QAction *restore = tray->menu()->findChild<QAction *>(QStringLiteral("R1"));
        QCOMPARE(restore->text(), QStringLiteral("Restore"));
        restore->trigger();
        QVERIFY(f.main.isVisible() && !f.main.isMinimized());
        QVERIFY(f.setup.isVisible());
        QVERIFY(!tray->icon()->isVisible());

        f.action("Coms1")->trigger(); // Coms Setup closed: it stays closed across the tray
        f.main.showMinimized();
        QTRY_VERIFY(f.main.isHidden());
        emit tray->icon()->activated(QSystemTrayIcon::Trigger);
        QVERIFY(f.main.isHidden());
        emit tray->icon()->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(f.main.isVisible());
        QVERIFY(f.setup.isHidden());
        QVERIFY(!tray->icon()->isVisible());
    }

    void withRunInTrayUncheckedMinimisingIsOrdinary() {
        Access f;
        f.main.tray()->setTrayAvailable([] { return true; });
        f.control<QCheckBox>(QStringLiteral("UseTray"))->click();
        f.main.showMinimized();
        QTRY_VERIFY(f.main.isMinimized());
        QCoreApplication::processEvents();
        QVERIFY(f.main.isVisible());
        QVERIFY(!f.main.tray()->icon()->isVisible());
        f.main.tray()->menu()->findChild<QAction *>(QStringLiteral("R1"))->trigger();
        QVERIFY(f.main.isMinimized()); // nothing to restore from
    }
};

QTEST_MAIN(OperatorAccessTest)
#include "test_operatoraccess.moc"
