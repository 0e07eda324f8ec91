#include "settings/settings.h"
#include "ui/exitpasswordwindow.h"
#include "ui/messageboxdialogs.h"
#include "ui/passwordprompt.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

// The message boxes behind operator questions and notices, and the password windows.
class DialogsTest : public QObject {
    Q_OBJECT

    // Answers the next modal box with `button` (or with a key when button is NoButton), and
    // records what it showed.
    struct Answer {
        QString text;
        QList<QMessageBox::StandardButton> buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };
    static void answerNextBox(Answer &seen, QMessageBox::StandardButton button,
                              int key = Qt::Key_unknown) {
        QTimer::singleShot(0, [&seen, button, key] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            seen.text = box->text();
            seen.icon = box->icon();
            for (QAbstractButton *each : box->buttons())
                seen.buttons.append(box->standardButton(each));
            if (button != QMessageBox::NoButton)
                box->button(button)->click();
            else
                QTest::keyClick(box, Qt::Key(key));
        });
    }

    static QList<QMessageBox *> boxesOnScreen() {
        QList<QMessageBox *> boxes;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
                boxes.append(box);
        }
        return boxes;
    }

private slots:
    void questionIsAnsweredByTheOperator_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("answer");
        QTest::newRow("Yes") << int(QMessageBox::Yes) << 0 << true;
        QTest::newRow("No") << int(QMessageBox::No) << 0 << false;
        QTest::newRow("Enter takes the safe answer")
            << int(QMessageBox::NoButton) << int(Qt::Key_Return) << false;
        QTest::newRow("Escape") << int(QMessageBox::NoButton) << int(Qt::Key_Escape) << false;
    }
    void questionIsAnsweredByTheOperator() {
        QFETCH(int, button);
        QFETCH(int, key);
        QFETCH(bool, answer);
        MessageBoxDialogs dialogs;
        Answer seen;
        answerNextBox(seen, QMessageBox::StandardButton(button), key);
        QCOMPARE(dialogs.question(QStringLiteral("Clear Messages"), QStringLiteral("Sure?")),
                 answer);
        QCOMPARE(seen.text, QStringLiteral("Sure?"));
        QCOMPARE(seen.buttons.size(), 2);
        QVERIFY(seen.buttons.contains(QMessageBox::Yes) && seen.buttons.contains(QMessageBox::No));
    }

    void noticeWaitsForOk() {
        MessageBoxDialogs dialogs;
        Answer seen;
        answerNextBox(seen, QMessageBox::Ok);
        dialogs.notice(QStringLiteral("Voduro"), QStringLiteral("Setup IP Secondary Port"));
        QCOMPARE(seen.text, QStringLiteral("Setup IP Secondary Port"));
        QCOMPARE(seen.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QVERIFY(boxesOnScreen().isEmpty());

        // A refusal looks like an error, a word to the wise like information.
        Answer error;
        answerNextBox(error, QMessageBox::Ok);
        dialogs.errorNotice(QStringLiteral("Error"), QStringLiteral("Account Not Found"));
        Answer information;
        answerNextBox(information, QMessageBox::Ok);
        dialogs.informationNotice(QStringLiteral("Voduro"), QStringLiteral("Restart"));
        QCOMPARE(error.icon, QMessageBox::Critical);
        QCOMPARE(information.icon, QMessageBox::Information);
    }

    void backgroundNoticesNeverStack() {
        MessageBoxDialogs dialogs;
        dialogs.backgroundNotice(QStringLiteral("Voduro"), QStringLiteral("first"));
        dialogs.backgroundNotice(QStringLiteral("Voduro"), QStringLiteral("second"));
        QCOMPARE(boxesOnScreen().size(), 1);
        QMessageBox *shown = dialogs.visibleBackgroundNotice();
        QVERIFY(shown);
        QCOMPARE(shown->text(), QStringLiteral("first"));
        QVERIFY(!shown->isModal());
        QVERIFY(!QApplication::activeModalWidget());

        shown->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(boxesOnScreen().isEmpty());
        dialogs.backgroundNotice(QStringLiteral("Voduro"), QStringLiteral("third"));
        QCOMPARE(boxesOnScreen().size(), 1);
        QCOMPARE(dialogs.visibleBackgroundNotice()->text(), QStringLiteral("third"));
    }

    // Only OK takes a new password: anything else leaves the one in force, and every opening
    // starts from it.
    void applicationPasswordChangesOnlyOnOk_data() {
        QTest::addColumn<int>("leave"); // 0 OK, 1 Cancel, 2 Escape, 3 closed
        QTest::addColumn<QString>("password");
        QTest::newRow("OK") << 0 << "abc";
        QTest::newRow("Cancel") << 1 << "6158";
        QTest::newRow("Escape") << 2 << "6158";
        QTest::newRow("closed") << 3 << "6158";
    }
    void applicationPasswordChangesOnlyOnOk() {
        QFETCH(int, leave);
        QFETCH(QString, password);
        Settings settings;
        ExitPasswordWindow window(settings);
        QCOMPARE(window.windowTitle(), QStringLiteral("Application Password"));
        QCOMPARE(window.findChild<QLabel *>(QStringLiteral("ClosePassword"))->text(), "Password:");
        auto *field = window.findChild<QLineEdit *>(QStringLiteral("PasswordToExit"));
        QCOMPARE(field->echoMode(), QLineEdit::Normal);
        QVERIFY(!(window.windowFlags() & Qt::WindowCloseButtonHint));

        window.open();
        QCOMPARE(field->text(), QStringLiteral("6158"));
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("abc"));
        switch (leave) {
        case 0:
            window.findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
            break;
        case 1:
            window.findChild<QPushButton *>(QStringLiteral("Cancel"))->click();
            break;
        case 2:
            QTest::keyClick(field, Qt::Key_Escape);
            break;
        default:
            window.close();
        }
        QVERIFY(window.isHidden());
        QCOMPARE(settings.text(SettingKey::Password), password);

        settings.setText(SettingKey::Password, QStringLiteral("xyz"));
        window.open();
        QCOMPARE(field->text(), QStringLiteral("xyz"));
        window.reject();
    }

    void passwordPromptMasksItsField() {
        PasswordPrompt prompt;
        QCOMPARE(prompt.findChild<QLabel *>(QStringLiteral("ClosePassword"))->text(), "Password:");
        auto *field = prompt.findChild<QLineEdit *>(QStringLiteral("Edit1"));
        QCOMPARE(field, prompt.field());
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        QCOMPARE(prompt.findChild<QPushButton *>(QStringLiteral("BitBtn1"))->text(), "OK");
        QCOMPARE(prompt.findChild<QPushButton *>(QStringLiteral("Cancel"))->text(), "Cancel");
        QVERIFY(!(prompt.windowFlags() & Qt::WindowCloseButtonHint));
    }
};

QTEST_MAIN(DialogsTest)
#include "test_dialogs.moc"
