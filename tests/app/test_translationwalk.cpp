#include "app/monitor.h"
#include "engine/engine.h"
#include "engine/enginestatus.h"
#include "engine/ipservertoggle.h"
#include "events/eventlistmodel.h"
#include "strings/eventtexts.h"
#include "support/scripteddialogs.h"
#include "support/tempenvironment.h"
#include "ui/accountview.h"
#include "ui/comsetupwindow.h"
#include "ui/eventpages.h"
#include "ui/exitpasswordwindow.h"
#include "ui/mainwindow.h"
#include "ui/promptanswer.h"
#include "ui/statuspanel.h"
#include "ui/traycontrol.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTcpServer>
#include <QTranslator>
#include <QtTest>

// Every text the operator reads goes through the translation system. Under a translation that
// wraps each text as "[~" + text + "~]", the walk below visits every window and page, every menu
// and the tray menu, every list heading and event text, and raises every question and notice
// the windows can ask: a text that shows unwrapped never met a translation. Under the German
// translation, wrapped where it is finished, it also finds every text left untranslated. Data
// (numbers, addresses, account names, codes, file names, the names of the product and of the
// languages) is not the translation's and is excepted.
class TranslationWalkTest : public QObject {
    Q_OBJECT

    struct Walk {
        QStringList unwrapped;

        // Passes when no letter is left once every wrapped piece is taken out.
        void check(const QString &where, const QString &text) {
            static const QRegularExpression wrappedPiece(
                QStringLiteral("\\[~.*?~\\]"), QRegularExpression::DotMatchesEverythingOption);
            static const QRegularExpression letter(QStringLiteral("\\p{L}"));
            QString rest = text;
            rest.remove(wrappedPiece);
            if (rest.contains(letter))
                unwrapped.append(where + QStringLiteral(": ") + text);
        }
        // "subject: message | subject: message", where each subject is a file.
        void checkStatus(const QString &where, const QString &text) {
            for (const QString &part : text.split(QStringLiteral(" | ")))
                check(where, part.mid(part.indexOf(QStringLiteral(": ")) + 2));
        }
        void action(const QString &where, const QAction *action) {
            // The languages are offered by their own names.
            if (!action->objectName().startsWith(QStringLiteral("Lang_")))
                check(where + QLatin1Char('/') + action->objectName(), action->text());
        }
        void menu(const QString &where, const QMenu *menu) {
            check(where, menu->title());
            for (const QAction *each : menu->actions())
                action(where, each);
        }
        void window(QWidget *window) {
            if (window->objectName() != QStringLiteral("MainForm")) // product name and version
                check(window->objectName() + QStringLiteral(" title"), window->windowTitle());
            widget(window);
            for (QWidget *child : window->findChildren<QWidget *>())
                widget(child);
        }
        void widget(QWidget *widget) {
            const QString where = widget->window()->objectName() + QLatin1Char('/') +
                                  widget->objectName() + QLatin1Char(' ') +
                                  QString::fromLatin1(widget->metaObject()->className());
            check(where + QStringLiteral(" tip"), widget->toolTip());
            for (const QAction *each : widget->actions())
                action(where, each);
            if (auto *label = qobject_cast<QLabel *>(widget))
                check(where, label->text());
            else if (auto *button = qobject_cast<QAbstractButton *>(widget))
                check(where, button->text());
            else if (auto *group = qobject_cast<QGroupBox *>(widget))
                check(where, group->title());
            else if (auto *combo = qobject_cast<QComboBox *>(widget))
                comboItems(where, combo);
            else if (auto *edit = qobject_cast<QLineEdit *>(widget))
                lineEdit(where, edit);
            else if (auto *tabs = qobject_cast<QTabWidget *>(widget))
                for (int tab = 0; tab < tabs->count(); ++tab)
                    check(where, tabs->tabText(tab));
            else if (auto *menuWidget = qobject_cast<QMenu *>(widget))
                menu(where, menuWidget);
        }
        void comboItems(const QString &where, const QComboBox *combo) {
            // Port names and speeds are the devices' and the lines'.
            if (combo->objectName().startsWith(QStringLiteral("CPort")) ||
                combo->objectName().startsWith(QStringLiteral("Speed")))
                return;
            for (int item = 0; item < combo->count(); ++item)
                check(where, combo->itemText(item));
        }
        // Line edits hold data; only the search field starts with words of the program's.
        void lineEdit(const QString &where, const QLineEdit *edit) {
            check(where, edit->placeholderText());
            if (edit->objectName() == QStringLiteral("FindAccText"))
                check(where, edit->text());
        }
        void dialogs(const ScriptedDialogs &dialogs) {
            // An I/O error is told in the system's own words.
            const QString ioError = QCoreApplication::translate("AccountEditor", "I/O Error");
            for (const ScriptedDialogs::Entry &entry : dialogs.asked) {
                if (entry.title != QStringLiteral("Voduro"))
                    check(QStringLiteral("box title"), entry.title);
                if (entry.title != ioError)
                    check(QStringLiteral("box"), entry.text);
            }
        }
    };

    // Every list heading, and every event text with the code it must keep at its start.
    static void walkListsAndEventTexts(Walk &walk, Monitor &monitor, const EventTexts &english) {
        EventLists &lists = monitor.core().lists();
        for (EventListModel *list : {&lists.contactId, &lists.fast, &lists.sia, &lists.poll}) {
            for (int column = 0; column < list->columnCount(); ++column)
                walk.check(QStringLiteral("heading"),
                           list->headerData(column, Qt::Horizontal).toString());
        }
        const EventTexts translated;
        const auto keepsCode = [&walk](const QByteArray &text, const QByteArray &code) {
            if (!text.startsWith("[~" + code + ' '))
                walk.unwrapped.append(
                    QStringLiteral("event text without its code %1: %2")
                        .arg(QString::fromLatin1(code), QString::fromLatin1(text)));
        };
        for (int code = 0; code < 1000; ++code) {
            walk.check(QStringLiteral("Contact ID"),
                       QString::fromLatin1(translated.ContactIDText(code)));
            if (english.ContactIDText(code) != QByteArray::number(code))
                keepsCode(translated.ContactIDText(code), english.ContactIDText(code).left(3));
        }
        for (int index = 0; index < 201; ++index) {
            walk.check(QStringLiteral("SIA"), QString::fromLatin1(translated.SIAText(index)));
            if (english.SIAText(index) != QByteArray::number(index))
                keepsCode(translated.SIAText(index), english.SIAText(index).left(2));
        }
    }

    template <typename T> static T *find(QWidget &window, const char *name) {
        T *found = window.findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qWarning("no control %s", name);
        return found;
    }

    // "Coms Setup" with its captions in both states, and the questions and notices it asks.
    static void walkComSetup(Walk &walk, Monitor &monitor, ScriptedDialogs &dialogs) {
        MainWindow &main = monitor.mainWindow();
        ComSetupWindow &setup = monitor.comSetupWindow();
        find<QAction>(main, "Coms1")->trigger();
        find<QComboBox>(setup, "CPort5")->setCurrentIndex(9); // TCP/IP
        find<QPushButton>(setup, "Start_Stop5")->click();
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();
        find<QSpinBox>(setup, "PortEdit")->setValue(port);
        find<QPushButton>(setup, "StartIP")->click();
        walk.window(&setup);
        find<QPushButton>(setup, "StartIP")->click();
        find<QPushButton>(setup, "Start_Stop5")->click();
        walk.check(QStringLiteral("refusal"), IpServerToggle::refusalText());

        for (const char *name : {"IP_Address1", "IP_Port1", "IP_Address2", "IP_Port2"})
            find<QLineEdit>(setup, name)->clear();
        auto *forceBackup = find<QAbstractButton>(setup, "Use_Pri_Sec");
        for (const char *name : {"IP_Address1", "IP_Address2", "IP_Port1", "IP_Port2"}) {
            forceBackup->click(); // one notice for the first field still empty
            find<QLineEdit>(setup, name)->setText(QStringLiteral("1"));
        }
        monitor.engine().pendingMessages().append("1234", "3 pending");
        dialogs.answers = {false};
        find<QPushButton>(setup, "BitBtn1")->click();
        setup.close();
    }

    static void walkClearing(Walk &walk, Monitor &monitor, ScriptedDialogs &dialogs) {
        MainWindow &main = monitor.mainWindow();
        monitor.core().txQueue().append("5041 182468E35001000");
        dialogs.answers = {false, false, true};
        find<QPushButton>(main, "Button1")->click();
        main.pages()->setCurrentIndex(EventPages::TxPending);
        find<QPushButton>(main, "ClrPageBtn")->click();
        QVERIFY(QDir().mkdir(LogBook::ClearedLog));
        find<QPushButton>(main, "Button1")->click(); // Yes, then the copy fails
        QVERIFY(QDir().rmdir(LogBook::ClearedLog));
        auto *status = main.findChild<StatusPanel *>();
        EngineStatus fault;
        fault.comOk = false;
        status->showStatus(fault);
        walk.widget(find<QLabel>(main, "ComOK"));
        status->showStatus(monitor.engine().status());
        find<QAction>(main, "Lang_de")->trigger();
    }

    // The account page with every question and notice its saves, deletes and searches raise.
    static void walkAccountPage(Monitor &monitor) {
        MainWindow &main = monitor.mainWindow();
        main.pages()->setCurrentIndex(EventPages::PollingAccounts);
        find<QLineEdit>(main, "FindAccText")->setText(QStringLiteral("nobody"));
        find<QPushButton>(main, "FindAcc")->click();
        const auto save = [&main](const char *code, int poll) {
            find<QLineEdit>(main, "AccountCode")->setText(QString::fromLatin1(code));
            find<QSpinBox>(main, "NewAccPoll")->setValue(poll);
            find<QSpinBox>(main, "NewAccArmPoll")->setValue(0);
            find<QPushButton>(main, "AddUpdate")->click();
        };
        find<QLineEdit>(main, "NewAccName")->setText(QStringLiteral("Walk"));
        save("11", 10);
        save("12", 10);
        save("11", 10); // in use: overwrite?
        save("11", 0);  // stops polling?
        find<QLineEdit>(main, "AccountCode")->setText(QStringLiteral("99"));
        emit find<AccountView>(main, "AccountGroup")->deleteClicked(); // not found
        find<QLineEdit>(main, "NewAccName")->setText(QStringLiteral("O\u2019Brien"));
        save("13", 10);
        find<QLineEdit>(main, "NewAccName")->setText(QStringLiteral("Walk"));
        find<QLineEdit>(main, "NewNuaIp")->setText(QStringLiteral("\u20ac"));
        save("13", 10);
        find<QLineEdit>(main, "NewNuaIp")->clear();
        QTest::keyClicks(find<QLineEdit>(main, "Dc09Key"), QStringLiteral("zz"));
        save("13", 10);
        find<QLineEdit>(main, "Dc09Key")->setText(QString());
        QVERIFY(QFile::remove(QStringLiteral("Accounts.PDB")));
        QVERIFY(QDir().mkdir(QStringLiteral("Accounts.PDB")));
        save("14", 10); // the file cannot be written
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        find<QSpinBox>(main, "NewPollTimeOut")->setFocus();
        find<QLineEdit>(main, "NewAccName")->setFocus(); // the allowance left: sure?
    }

private slots:
    void everyTextGoesThroughTheTranslation_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("English source texts") << QStringLiteral("en");
        QTest::newRow("German translation") << QStringLiteral("de");
    }
    void everyTextGoesThroughTheTranslation() {
        QFETCH(QString, language);
        TempEnvironment env;
        QFile keys(QStringLiteral("Dc09Keys.txt"));
        QVERIFY(keys.open(QIODevice::WriteOnly) && keys.write("not a key line\n") > 0);
        keys.close();
        const EventTexts english;
        QTranslator pseudo;
        QVERIFY(pseudo.load(QStringLiteral(VODURO_PSEUDO_TRANSLATIONS "/pseudo_") + language +
                            QStringLiteral(".qm")));
        QCoreApplication::installTranslator(&pseudo);
        const auto uninstall =
            qScopeGuard([&pseudo] { QCoreApplication::removeTranslator(&pseudo); });

        ScriptedDialogs dialogs;
        Monitor monitor({QHostAddress(QHostAddress::LocalHost)}, &dialogs);
        MainWindow &main = monitor.mainWindow();
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        Walk walk;
        walk.checkStatus(QStringLiteral("status bar"), main.statusBar()->currentMessage());
        walk.window(&main);
        walk.menu(QStringLiteral("tray"), main.tray()->menu());
        walkListsAndEventTexts(walk, monitor, english);

        auto answer = PromptAnswer::next(QStringLiteral("6158"));
        main.logOnOrOff();
        walk.check(QStringLiteral("prompt title"), answer->caption);
        walk.widget(main.menuBar()); // "Log off"
        find<QAction>(main, "ExitPassword1")->trigger();
        walk.window(main.findChild<ExitPasswordWindow *>());
        main.findChild<ExitPasswordWindow *>()->reject();

        walkComSetup(walk, monitor, dialogs);
        walkClearing(walk, monitor, dialogs);
        walkAccountPage(monitor);
        emit monitor.logs().failed(QStringLiteral("Rx_Log.TXT"), QStringLiteral("disk full"));
        walk.check(QStringLiteral("status bar"), main.statusBar()->currentMessage());

        answer = PromptAnswer::next(QStringLiteral("wrong"));
        main.close();
        walk.check(QStringLiteral("prompt title"), answer->caption);
        QVERIFY(answer->shown);

        // Each question and notice once: Coms Setup 5, clearing 4 and the language 1, the
        // account page 9.
        QCOMPARE(dialogs.texts().size(), 19);
        walk.dialogs(dialogs);
        QCOMPARE(walk.unwrapped.join(QLatin1Char('\n')), QString());
    }
};

QTEST_MAIN(TranslationWalkTest)
#include "test_translationwalk.moc"
