#include "support/ptypair.h"
#include "ui/ledindicator.h"
#include "ui/pathgroup.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>

// What the Coms Setup window does with the operator's input: field rules, the Force Backup
// check, the transmit path, the connection log, the lists, closing, and starting lines.
class ComSetupBehaviourTest : public QObject {
    Q_OBJECT

    static void leave(QWidget *field) {
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(field, &focusOut);
    }

    static void useTcpPath(WindowFixture &f) {
        f.control<QComboBox>(QStringLiteral("CPort5"))->setCurrentIndex(txPortTcpIndex);
    }

    static QStringList notices(const WindowFixture &f) {
        QStringList result;
        for (const ScriptedDialogs::Entry &entry : f.dialogs.asked) {
            if (entry.kind == ScriptedDialogs::Entry::Notice &&
                entry.title == PathGroup::noticeTitle)
                result.append(entry.text);
        }
        return result;
    }

private slots:
    void rxNumberGetsItsLeadingZeroOnLeaving_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("one digit") << "4"
                                   << "04";
        QTest::newRow("empty") << ""
                               << "0";
        QTest::newRow("two digits") << "12"
                                    << "12";
    }
    void rxNumberGetsItsLeadingZeroOnLeaving() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        WindowFixture f;
        auto *rxNo = f.control<QLineEdit>(QStringLiteral("RxNo"));
        rxNo->clear();
        QTest::keyClicks(rxNo, typed);
        leave(rxNo);
        QCOMPARE(rxNo->text(), shown);
        QCOMPARE(f.settings.text(SettingKey::RxNum), shown);
    }

    void numberFieldsDropLettersAndBlanks_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        for (const char *name :
             {"RxNo", "TxTimeout", "HBeatTime", "Terminate", "TxAtt", "FltWarning"}) {
            QTest::addRow("%s letters", name) << name << "a7:Z 5"
                                              << "75";
            QTest::addRow("%s punctuation", name) << name << "-."
                                                  << "-.";
            QTest::addRow("%s too long", name) << name << "123"
                                               << "12";
        }
        QTest::newRow("LineNo one character") << "LineNo"
                                              << "x23"
                                              << "2";
    }
    void numberFieldsDropLettersAndBlanks() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        WindowFixture f;
        auto *field = f.control<QLineEdit>(name);
        QVERIFY(field);
        field->clear();
        QTest::keyClicks(field, typed);
        QCOMPARE(field->text(), shown);
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(field->text(), shown.chopped(1));
    }

    // Pasting, by Ctrl+V, Shift+Insert or the context menu, is held to the rule of the keys.
    void pastingIsHeldToTheFieldsRule() {
        WindowFixture f;
        QClipboard *clipboard = QGuiApplication::clipboard();
        for (const char *name :
             {"RxNo", "LineNo", "TxAtt", "TxTimeout", "HBeatTime", "Terminate", "FltWarning"}) {
            auto *field = f.control<QLineEdit>(QString::fromLatin1(name));
            for (const char *refused : {"abc", "12345", "1 2", "7:"}) {
                clipboard->setText(QString::fromLatin1(refused));
                field->clear();
                QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
                QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
                field->paste(); // what the context menu's "Paste" does
                QVERIFY2(field->text().isEmpty(),
                         qPrintable(QString::fromLatin1(name) + QLatin1Char(' ') + refused +
                                    QLatin1Char(' ') + field->text()));
            }
            clipboard->setText(QStringLiteral("7"));
            field->clear();
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(field->text(), QStringLiteral("7"));
        }
    }

    void longerValuesFromTheSettingsAreShownWhole() {
        WindowFixture f;
        f.settings.setText(SettingKey::HeartBeat, QStringLiteral("120"));
        auto *heartbeat = f.control<QLineEdit>(QStringLiteral("HBeatTime"));
        QCOMPARE(heartbeat->text(), QStringLiteral("120"));
        QTest::keyClick(heartbeat, Qt::Key_5);
        QCOMPARE(f.settings.text(SettingKey::HeartBeat), QStringLiteral("120"));
        heartbeat->selectAll();
        QTest::keyClicks(heartbeat, QStringLiteral("45"));
        QCOMPARE(f.settings.text(SettingKey::HeartBeat), QStringLiteral("45"));
    }

    void forceBackupNeedsBothAddresses_data() {
        QTest::addColumn<QString>("emptied");
        QTest::addColumn<QString>("notice");
        QTest::newRow("primary address") << "IP_Address1"
                                         << "Setup IP Primary Address";
        QTest::newRow("secondary address") << "IP_Address2"
                                           << "Setup IP Secondary Address";
        QTest::newRow("primary port") << "IP_Port1"
                                      << "Setup IP Primary Port";
        QTest::newRow("secondary port") << "IP_Port2"
                                        << "Setup IP Secondary Port";
        QTest::newRow("all set") << ""
                                 << "";
    }
    void forceBackupNeedsBothAddresses() {
        QFETCH(QString, emptied);
        QFETCH(QString, notice);
        WindowFixture f;
        useTcpPath(f);
        f.control<QLineEdit>(QStringLiteral("IP_Address2"))->setText(QStringLiteral("10.0.0.2"));
        if (!emptied.isEmpty())
            f.control<QLineEdit>(emptied)->clear();
        auto *forceBackup = f.control<QCheckBox>(QStringLiteral("Use_Pri_Sec"));
        QSignalSpy changes(&f.settings, &Settings::changed);
        forceBackup->click();

        const bool accepted = notice.isEmpty();
        QCOMPARE(forceBackup->isChecked(), accepted);
        QCOMPARE(f.settings.flag(SettingKey::ForceBackup), accepted);
        QCOMPARE(changes.size(), accepted ? 1 : 0);
        QCOMPARE(notices(f), accepted ? QStringList() : QStringList{notice});
    }

    void emptyingTheSecondaryDropsForceBackup_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("notice");
        QTest::newRow("address") << "IP_Address2"
                                 << "Setup IP Secondary Address";
        QTest::newRow("port") << "IP_Port2"
                              << "Setup IP Secondary Port";
    }
    void emptyingTheSecondaryDropsForceBackup() {
        QFETCH(QString, field);
        QFETCH(QString, notice);
        WindowFixture f;
        useTcpPath(f);
        f.control<QLineEdit>(QStringLiteral("IP_Address2"))->setText(QStringLiteral("10.0.0.2"));
        auto *forceBackup = f.control<QCheckBox>(QStringLiteral("Use_Pri_Sec"));
        forceBackup->click();
        QVERIFY(f.settings.flag(SettingKey::ForceBackup));

        QLineEdit *edit = f.control<QLineEdit>(field);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QVERIFY(!forceBackup->isChecked());
        QVERIFY(!f.settings.flag(SettingKey::ForceBackup));
        QCOMPARE(notices(f), QStringList{notice});
    }

    // A setting read with empty addresses is shown as it is: nothing asks at start-up.
    void forceBackupFromTheSettingsAsksNothing() {
        WindowFixture f;
        f.settings.setFlag(SettingKey::ForceBackup, true);
        f.settings.setText(SettingKey::TxIpPort2, QString());
        QVERIFY(f.control<QCheckBox>(QStringLiteral("Use_Pri_Sec"))->isChecked());
        QVERIFY(f.dialogs.asked.isEmpty());
    }

    void tcpIpSwitchesThePathControls() {
        WindowFixture f;
        const QStringList serial{"Speed5", "DataBits5", "Parity5", "Stop_bits5"};
        const QStringList network{"IP_Address1", "IP_Port1", "IP_Address2", "IP_Port2",
                                  "Use_Pri_Sec"};
        const auto expectPath = [&](bool tcp) {
            for (const QString &name : serial)
                QVERIFY2(f.control<QWidget>(name)->isEnabled() != tcp, qPrintable(name));
            for (const QString &name : network)
                QVERIFY2(f.control<QWidget>(name)->isEnabled() == tcp, qPrintable(name));
        };
        expectPath(false);
        useTcpPath(f);
        expectPath(true);
        f.control<QComboBox>(QStringLiteral("CPort5"))->setCurrentIndex(8);
        expectPath(false);
        f.settings.setInteger(SettingKey::TxNum, txPortTcpIndex); // as read at start-up
        expectPath(true);
        f.settings.setInteger(SettingKey::TxNum, 0);
        expectPath(false);
    }

    void logConnectionsWritesItsOwnSwitching() {
        WindowFixture f;
        auto *logConnections = f.control<QCheckBox>(QStringLiteral("Log_Con"));
        logConnections->click();
        QVERIFY(f.settings.flag(SettingKey::LogConnections));
        f.logs.log_connection(QStringLiteral("10.0.0.9 Connected"));
        logConnections->click();
        f.logs.log_connection(QStringLiteral("10.0.0.9 Disconnected"));

        const QList<QByteArray> lines = f.env.readFile(LogBook::ConnectionLog).split('\n');
        QCOMPARE(lines.size(), 4); // three lines and the end after the last CR LF
        QVERIFY(lines.at(0).endsWith(" - Logging Started\r"));
        QVERIFY(lines.at(1).endsWith(" - 10.0.0.9 Connected\r"));
        QVERIFY(lines.at(2).endsWith(" - Logging Stopped\r"));
    }

    // Pending messages were acknowledged to their panels: they go only on the operator's Yes,
    // and each leaves a copy in the cleared-items file.
    void clearButtonsEmptyTheirOwnList() {
        WindowFixture f;
        f.engine.pendingMessages().append("1234", "3 pending");
        f.engine.pendingMessages().append("10.0.0.7", "2 second");
        f.engine.receivedData().append("[1]RING");
        f.dialogs.answers = {false};
        f.control<QPushButton>(QStringLiteral("BitBtn1"))->click();
        QCOMPARE(f.engine.pendingMessages().size(), 2);
        QCOMPARE(f.dialogs.texts(),
                 QStringList{"Messages not yet decoded and delivered: 2.\nThey will be removed "
                             "from \"Pending Messages\"; a copy of each is kept in "
                             "Cleared_log.TXT.\nClear them?"});
        QVERIFY(f.env.readFile(LogBook::ClearedLog).isEmpty());
        f.control<QPushButton>(QStringLiteral("BitBtn1"))->click();
        QVERIFY(f.engine.pendingMessages().isEmpty());
        QCOMPARE(f.engine.receivedData().size(), 1);
        const QList<QByteArray> kept = f.env.readFile(LogBook::ClearedLog).split('\n');
        QCOMPARE(kept.size(), 3);
        QVERIFY(kept.at(0).endsWith(" -- Pending Messages: [1234]3 pending\r"));
        QVERIFY(kept.at(1).endsWith(" -- Pending Messages: [10.0.0.7]2 second\r"));

        f.engine.pendingMessages().append("1234", "3 pending");
        f.control<QPushButton>(QStringLiteral("BitBtn2"))->click();
        QVERIFY(f.engine.receivedData().isEmpty());
        QCOMPARE(f.engine.pendingMessages().size(), 1);
    }

    void closingOnlyHidesAndAsksForTheSave() {
        WindowFixture f;
        QSignalSpy closed(&f.setup, &ComSetupWindow::closed);
        f.setup.show();
        f.engine.setSetupWindowOpen(true);
        QVERIFY(f.setup.close());
        QVERIFY(f.setup.isHidden());
        QCOMPARE(closed.size(), 1);
        QVERIFY(!f.engine.setupWindowOpen());
        f.setup.show(); // the same window, with its lists, comes back
        QVERIFY(f.setup.isVisible());
    }

    void startStopTogglesTheLineAndItsCaption() {
        WindowFixture f;
        PtyPair pty;
        QVERIFY(pty.isValid());
        f.settings.setDevice(0, pty.slavePath());
        auto *button = f.control<QPushButton>(QStringLiteral("Start_Stop1"));
        button->click();
        QVERIFY(f.engine.isLineStarted(1));
        QCOMPARE(button->text(), QStringLiteral("STOP COMS"));
        QCOMPARE(f.control<QPushButton>(QStringLiteral("Start_Stop2"))->text(), "START COMS");

        button->click();
        QVERIFY(!f.engine.isLineStarted(1));
        QCOMPARE(button->text(), QStringLiteral("START COMS"));

        button->click();
        f.control<QComboBox>(QStringLiteral("Speed1"))->setCurrentIndex(4);
        QVERIFY(!f.engine.isLineStarted(1));
        QCOMPARE(button->text(), QStringLiteral("START COMS"));
    }

    void trafficLightsFlashOnlyWhileTheLineIsStarted() {
        WindowFixture f;
        PtyPair pty;
        QVERIFY(pty.isValid());
        auto *rx = f.control<LedIndicator>(QStringLiteral("RxLED1"));
        auto *tx = f.control<LedIndicator>(QStringLiteral("TxLED1"));
        emit f.engine.traffic(1, false);
        QVERIFY(!rx->isLit());

        f.settings.setDevice(0, pty.slavePath());
        f.control<QPushButton>(QStringLiteral("Start_Stop1"))->click();
        QVERIFY(pty.write("RING\r\n"));
        QTRY_VERIFY_WITH_TIMEOUT(rx->isLit(), 10000);
        QVERIFY(!tx->isLit());
        // A speed change stops the line and leaves its lights to their flash.
        auto *speed = f.control<QComboBox>(QStringLiteral("Speed1"));
        speed->setCurrentIndex(speed->currentIndex() == 4 ? 3 : 4);
        QVERIFY(!f.engine.isLineStarted(1));
        QVERIFY(rx->isLit());
        QTRY_VERIFY_WITH_TIMEOUT(!rx->isLit(), 10000);
        QVERIFY(!f.control<LedIndicator>(QStringLiteral("RxLED2"))->isLit());
    }

    // The Tx link has no light controller: its traffic flashes nothing.
    void txLinkLightsStayDark() {
        WindowFixture f;
        useTcpPath(f);
        f.control<QPushButton>(QStringLiteral("Start_Stop5"))->click();
        QVERIFY(f.engine.isLineStarted(5));
        emit f.engine.traffic(5, true);
        emit f.engine.traffic(5, false);
        QVERIFY(!f.control<LedIndicator>(QStringLiteral("TxLED5"))->isLit());
        QVERIFY(!f.control<LedIndicator>(QStringLiteral("RxLED5"))->isLit());
    }
};

QTEST_MAIN(ComSetupBehaviourTest)
#include "test_comsetupbehaviour.moc"
