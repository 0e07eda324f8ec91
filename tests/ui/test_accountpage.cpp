#include "accountpagefixture.h"

#include <QDir>
#include <QGroupBox>
#include <QThread>
#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

const QStringList viewButtons{u"FirstBtn"_s, u"PrevBtn"_s,   u"NextBtn"_s,
                              u"LastBtn"_s,  u"DeleteBtn"_s, u"AccEdit"_s};

const Image smith{2468, "J Smith Ltd", 10, 0, 0x0005, 0, "10.0.0.9"};
const Image jones{246813, "Jones & Co", 0, 10, 0x0002, 0, "5550101"};
const Image brown{1000010, "Brown Farm", 30, 60};

// The three accounts as the file holds them after a load with the allowance 1 and a save.
Image loaded(Image image) {
    image.timer = image.poll == 0 ? 0 : image.poll + 3;
    return image;
}
QByteArray threeAccounts() {
    return smith.bytes() + jones.bytes() + brown.bytes();
}

QColor background(QLineEdit *field) {
    return field->palette().color(QPalette::Base);
}

} // namespace

// The "Polling Accounts" page through its controls: the view of the current account, the copy
// into the editor, the search, the missed-poll allowance, and the saves with the file's bytes.
class TestAccountPage : public QObject {
    Q_OBJECT

    static QMap<QString, bool> enabled(AccountPageFixture &f) {
        QMap<QString, bool> states;
        for (const QString &name : viewButtons)
            states[name] = f.control<QPushButton>(name)->isEnabled();
        return states;
    }
    static QMap<QString, bool> states(bool first, bool prev, bool next, bool last, bool del,
                                      bool edit) {
        return {{u"FirstBtn"_s, first}, {u"PrevBtn"_s, prev},  {u"NextBtn"_s, next},
                {u"LastBtn"_s, last},   {u"DeleteBtn"_s, del}, {u"AccEdit"_s, edit}};
    }
    static QString caption(AccountPageFixture &f) {
        return f.control<QGroupBox>(u"AccountGroup"_s)->title();
    }

private slots:
    void emptyTableThenFirstAdd() {
        AccountPageFixture f;
        QVERIFY(f.ready());
        QCOMPARE(caption(f), u"Account:0"_s);
        QCOMPARE(enabled(f), states(false, false, false, false, false, false));
        for (const char *name : {"ViewName", "ViewNumber", "ViewPollTimer", "IP_NUA"})
            QCOMPARE(f.text(name), QString());

        f.fillEditor(u"New Panel"_s, u"2468"_s, 10, 0, u"10.1.1.1"_s, {true, false, true});
        QCOMPARE(f.spin("NewAccArmPoll")->value(), 0);
        f.button("AddUpdate")->click();
        QCOMPARE(f.dialogs.texts(), QStringList());
        // A new account's timer starts from the greater delay at once.
        QCOMPARE(f.file(), (Image{2468, "New Panel", 10, 0, 5, 13, "10.1.1.1"}.bytes()));
        QCOMPARE(caption(f), u"Account:1"_s);
        QCOMPARE(enabled(f), states(true, false, false, true, true, true));
        QCOMPARE(f.text("ViewName"), u"New Panel"_s);
        QCOMPARE(f.text("ViewPollTimer"), u"13"_s);
    }

    // Beyond the 16-bit range of a count: the caption shows every account of the file.
    void aHundredThousandAccountsAllCounted() {
        QByteArray file;
        for (quint32 number = 100000; number > 0; --number)
            file += Image{number, "Panel", 0, 0}.bytes();
        AccountPageFixture f(file);
        QVERIFY(f.ready());
        QCOMPARE(caption(f), u"Account:100000"_s);
        f.button("LastBtn")->click();
        QCOMPARE(f.text("ViewNumber"), u"100000"_s); // as the automation lines carry it
    }

    void viewShowsTheCurrentAccount() {
        AccountPageFixture f(threeAccounts());
        QVERIFY(f.ready());
        QVERIFY(f.accounts.setLastNuaIp(246813, "192.168.7.7"));
        f.button("NextBtn")->click();
        QCOMPARE(caption(f), u"Account:3"_s);
        const QStringList shown{f.text("ViewName"),      f.text("ViewNumber"),
                                f.text("ViewPolling"),   f.text("ViewArmPolling"),
                                f.text("ViewPollTimer"), f.text("ViewNuaIp"),
                                f.text("IP_NUA")};
        QCOMPARE(shown, (QStringList{u"Jones & Co"_s, u"246813"_s, u"0"_s, u"10"_s, u"0"_s,
                                     u"5550101"_s, u"192.168.7.7"_s}));
        QCOMPARE((QList<bool>{f.box("OptionBit0")->isChecked(), f.box("OptionBit1")->isChecked(),
                              f.box("OptionBit2")->isChecked()}),
                 (QList<bool>{false, true, false}));
        // Supervised by its armed delay, but not counting until its first poll: red.
        QCOMPARE(background(f.edit("ViewName")), QColor(Qt::red));
        QCOMPARE(background(f.edit("ViewPollTimer")), QColor(Qt::red));
        f.button("LastBtn")->click();
        QCOMPARE(f.text("ViewNumber"), u"000A"_s);
        QCOMPARE(background(f.edit("ViewName")), QColor(0, 255, 0));
        // A click on a view option box shows, it does not change.
        QTest::mouseClick(f.box("OptionBit0"), Qt::LeftButton);
        QVERIFY(!f.box("OptionBit0")->isChecked());
    }

    // The view's fields show their longest texts whole, even in the smallest main window.
    void viewFieldsShowTheirLongestTextsWhole() {
        AccountPageFixture f;
        QVERIFY(f.ready());
        AccountRecord record;
        record.accNum = 999999;
        record.accName = "WESTERN MOUNTAIN HOMES & MALLS";
        record.nuaIp = "255.255.255.255:6553";
        QVERIFY(f.accounts.save(AccountTable::SaveMode::Add, record).ok);
        QCOMPARE(f.text("ViewName"), QString::fromLatin1(record.accName));
        f.main.resize(f.main.minimumSizeHint());
        QTRY_COMPARE(f.main.size(), f.main.minimumSizeHint());
        // With its start in sight, the end of the text is in sight too.
        for (const char *name : {"ViewName", "ViewNuaIp"}) {
            QLineEdit *field = f.edit(name);
            field->home(false);
            const QPoint rightEdge(field->width() - 3, field->height() / 2);
            QCOMPARE(field->cursorPositionAt(rightEdge), field->text().size());
        }
    }

    void navigationEnablesAndMovesTheFocus() {
        AccountPageFixture f(threeAccounts());
        QVERIFY(f.ready());
        QCOMPARE(enabled(f), states(true, false, true, true, true, true));
        QTest::mouseClick(f.button("NextBtn"), Qt::LeftButton);
        QCOMPARE(enabled(f), states(true, true, true, true, true, true));
        QTest::mouseClick(f.button("NextBtn"), Qt::LeftButton);
        QCOMPARE(f.text("ViewName"), u"Brown Farm"_s);
        QCOMPARE(enabled(f), states(true, true, false, true, true, true));
        QCOMPARE(f.focusName(), u"PrevBtn"_s);
        QTest::mouseClick(f.button("PrevBtn"), Qt::LeftButton);
        QTest::mouseClick(f.button("PrevBtn"), Qt::LeftButton);
        QCOMPARE(f.text("ViewName"), u"J Smith Ltd"_s);
        QCOMPARE(f.focusName(), u"NextBtn"_s);
        QTest::mouseClick(f.button("LastBtn"), Qt::LeftButton);
        QCOMPARE(f.text("ViewName"), u"Brown Farm"_s);
        QTest::mouseClick(f.button("FirstBtn"), Qt::LeftButton);
        QCOMPARE(f.text("ViewName"), u"J Smith Ltd"_s);

        // Logged off: no "&Edit" and no "&Add / Update"; "&Delete" stays.
        f.page->setLoggedOn(false);
        QCOMPARE(enabled(f), states(true, false, true, true, true, false));
        QVERIFY(!f.button("AddUpdate")->isEnabled());
    }

    void copyIntoEditor_data() {
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("focus");
        QTest::newRow("name") << u"ViewName"_s << u"NewAccName"_s;
        QTest::newRow("number") << u"ViewNumber"_s << u"AccountCode"_s;
        QTest::newRow("delay") << u"ViewPolling"_s << u"NewAccPoll"_s;
        QTest::newRow("armed") << u"ViewArmPolling"_s << u"NewAccArmPoll"_s;
        QTest::newRow("nua") << u"ViewNuaIp"_s << u"NewNuaIp"_s;
        QTest::newRow("clock") << u"OptionBit0"_s << u"NewSyncClock"_s;
        QTest::newRow("match") << u"OptionBit1"_s << u"NewMatchNua"_s;
        QTest::newRow("sia") << u"OptionBit2"_s << u"NewRepSIA"_s;
        QTest::newRow("timer stays") << u"ViewPollTimer"_s << u"ViewPollTimer"_s;
        QTest::newRow("edit stays") << u"AccEdit"_s << u"AccEdit"_s;
        QTest::newRow("delete stays") << u"DeleteBtn"_s << u"DeleteBtn"_s;
    }
    void copyIntoEditor() {
        QFETCH(QString, entered);
        QFETCH(QString, focus);
        AccountPageFixture f(threeAccounts());
        QVERIFY(f.ready());
        f.page->setLoggedOn(entered == u"AccEdit"_s); // copying needs no log-on; "&Edit" does
        f.button("LastBtn")->click();
        f.fillEditor(u"x"_s, u"1"_s, 5, 0);
        f.control<QWidget>(entered)->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.text("NewAccName"), u"Brown Farm"_s);
        QCOMPARE(f.text("AccountCode"), u"A"_s); // the full form, not "000A"
        QCOMPARE(f.spin("NewAccPoll")->value(), 30);
        QCOMPARE(f.spin("NewAccArmPoll")->value(), 60);
        QCOMPARE(f.focusName(), focus);
        QCOMPARE(f.dialogs.texts(), QStringList());
    }

    void editorFieldRules() {
        AccountPageFixture f(threeAccounts());
        QVERIFY(f.ready());
        // Entering the last caller's field copies nothing.
        f.edit("IP_NUA")->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.text("NewAccName"), QString());
        f.type("AccountCode", u"ab-cd9"_s);
        QCOMPARE(f.text("AccountCode"), u"ABCD9"_s);
        f.type("AccountCode", u"abcdef"_s);
        QCOMPARE(f.text("AccountCode"), u"ABCDE"_s);

        // The armed delay follows the polling delay while it was 0 on entry to it.
        QSpinBox *poll = f.spin("NewAccPoll");
        QSpinBox *arm = f.spin("NewAccArmPoll");
        poll->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(poll, u"15"_s);
        QCOMPARE(poll->value(), 15);
        QCOMPARE(arm->value(), 15);
        arm->setFocus(Qt::TabFocusReason);
        arm->setValue(40);
        poll->setFocus(Qt::TabFocusReason);
        poll->setValue(20);
        QCOMPARE(arm->value(), 40);

        f.type("NewAccName", u"Kept"_s);
        f.main.pages()->setCurrentIndex(EventPages::Sia);
        f.button("ClrPageBtn")->click();
        QCOMPARE(f.text("NewAccName"), u"Kept"_s);
        QCOMPARE(poll->value(), 20); // another page clears its own list only
        f.main.pages()->setCurrentIndex(EventPages::PollingAccounts);
        f.box("NewMatchNua")->setChecked(true);
        f.type("NewNuaIp", u"1.2.3.4"_s);
        f.button("ClrPageBtn")->click();
        const QList<QString> texts{f.text("NewAccName"), f.text("AccountCode"), f.text("NewNuaIp")};
        QCOMPARE(texts, (QList<QString>{{}, {}, {}}));
        QCOMPARE(poll->value() + arm->value(), 0);
        QVERIFY(!f.box("NewMatchNua")->isChecked());
        QCOMPARE(f.file(), threeAccounts());
    }

    void searchByName() {
        AccountPageFixture f(threeAccounts());
        QVERIFY(f.ready());
        QLineEdit *search = f.edit("FindAccText");
        QCOMPARE(search->text(), u"Enter Account Details Here - Then Click Find Account"_s);
        QTest::mouseClick(search, Qt::LeftButton);
        QCOMPARE(search->selectedText(), search->text());
        f.button("LastBtn")->click();
        QTest::keyClicks(search, u"smith"_s);
        f.button("FindAcc")->click();
        QCOMPARE(f.text("ViewName"), u"J Smith Ltd"_s);
        QCOMPARE(f.dialogs.texts(), QStringList());

        f.button("NextBtn")->click();
        for (const QString &sought : {QString(), u"nobody"_s}) {
            search->setText(sought);
            f.button("FindAcc")->click();
            QCOMPARE(f.dialogs.texts().last(), u"Account Not Found"_s);
            QCOMPARE(f.dialogs.asked.last().icon, ScriptedDialogs::Entry::Error);
            QCOMPARE(f.text("ViewName"), u"Jones & Co"_s);
        }
    }

    void allowanceIsConfirmedOnLeaving() {
        AccountPageFixture f(threeAccounts());
        QVERIFY(f.ready());
        QSpinBox *allowance = f.spin("NewPollTimeOut");
        const QString asked = u"Are you sure you want to alter the Poll timeout value?"_s;
        allowance->setFocus(Qt::TabFocusReason);
        f.edit("NewAccName")->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.dialogs.texts(), QStringList{asked}); // unchanged, asked all the same

        allowance->setFocus(Qt::TabFocusReason);
        allowance->setValue(5);
        // Another window taking the focus asks nothing, nor does the way back to the field.
        QLineEdit other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        other.setFocus(Qt::MouseFocusReason);
        QCOMPARE(QApplication::focusWidget(), &other);
        f.main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.main));
        QCOMPARE(f.dialogs.texts().size(), 1);
        allowance->setValue(7);

        f.dialogs.answers = {false};
        f.button("FirstBtn")->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.dialogs.texts(), (QStringList{asked, asked}));
        QCOMPARE(allowance->value(), 1);
        QCOMPARE(f.settings.integer(SettingKey::PollTimeOut), 1);

        allowance->setFocus(Qt::TabFocusReason);
        allowance->setValue(4);
        f.button("FirstBtn")->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.settings.integer(SettingKey::PollTimeOut), 4);
        QCOMPARE(f.dialogs.texts().size(), 3);
        // Only later reloads use it: a new account with a delay of 10 starts at 10 * 4 + 3.
        f.fillEditor(u"Later"_s, u"7"_s, 10, 0);
        f.button("AddUpdate")->click();
        QCOMPARE(f.text("ViewPollTimer"), u"43"_s);
        QCOMPARE(f.accounts.Find_Account(2468)->pollTimer, quint16(13));
    }

    // An existing number not on view asks before it is replaced; "No" leaves everything.
    void overwriteAnotherAccount() {
        AccountPageFixture f(threeAccounts());
        QVERIFY(f.ready());
        const QByteArray before = f.file();
        f.fillEditor(u"Brown Farm Two"_s, u"A"_s, 30, 60, u"77"_s, {false, true, false});
        f.dialogs.answers = {false};
        f.button("AddUpdate")->click();
        QCOMPARE(f.dialogs.texts(),
                 QStringList{u"Account already in use, do you want to overwrite?"_s});
        QCOMPARE(f.file(), before);
        QCOMPARE(f.text("ViewName"), u"J Smith Ltd"_s);

        f.button("AddUpdate")->click(); // scripted Yes
        QCOMPARE(f.dialogs.texts().size(), 2);
        QCOMPARE(f.text("ViewName"), u"Brown Farm Two"_s);
        QCOMPARE(f.text("ViewNumber"), u"000A"_s);
        Image replaced = loaded(brown);
        replaced.name = "Brown Farm Two";
        replaced.nuaIp = "77";
        replaced.options = 2;
        QCOMPARE(f.file(), loaded(smith).bytes() + loaded(jones).bytes() + replaced.bytes());
        QCOMPARE(f.accounts.AccountCount(), 3);
    }

    void stoppingADelayIsConfirmedOnce() {
        AccountPageFixture f(threeAccounts());
        QVERIFY(f.ready());
        const QString asked =
            u"You have set one of the polling times to 0, this will stop polling, are you sure?"_s;
        f.button("LastBtn")->click();
        f.button("AccEdit")->click();
        f.spin("NewAccPoll")->setValue(0);
        f.spin("NewAccArmPoll")->setValue(0);
        f.dialogs.answers = {false};
        f.button("AddUpdate")->click();
        QCOMPARE(f.dialogs.texts(), QStringList{asked});
        QCOMPARE(f.file(), threeAccounts());

        f.button("AddUpdate")->click();
        QCOMPARE(f.dialogs.texts(), (QStringList{asked, asked}));
        QCOMPARE(f.text("ViewPolling"), u"0"_s);
        QCOMPARE(f.text("ViewPollTimer"), u"0"_s); // no delay left: not supervised any more

        // A new account with no delay at all asks nothing and is never declared failed.
        f.fillEditor(u"Quiet"_s, u"55"_s, 0, 0);
        f.button("AddUpdate")->click();
        QCOMPARE(f.dialogs.texts().size(), 2);
        QCOMPARE(f.file().right(104), (Image{55, "Quiet", 0, 0, 0, 0}.bytes()));
        QCOMPARE(f.text("ViewName"), u"Quiet"_s);
        for (int minute = 0; minute < 4; ++minute)
            f.polls.minuteTick();
        QCOMPARE(f.accounts.CurrentAccount()->pollFailed, quint16(0));
    }

    // The editor keeps a running timer, and restarts a failed one and forgets the failure.
    void updateRunningAndFailedAccounts() {
        AccountPageFixture f(smith.bytes() + brown.bytes());
        QVERIFY(f.ready());
        f.polls.minuteTick();
        QCOMPARE(f.text("ViewPollTimer"), u"12"_s); // the minute tick shows at once
        f.button("AccEdit")->click();
        f.type("NewAccName", u"J Smith Limited"_s);
        f.button("AddUpdate")->click();
        QCOMPARE(f.text("ViewPollTimer"), u"12"_s);

        for (int minute = 0; minute < 33; ++minute)
            f.polls.minuteTick();
        f.button("LastBtn")->click();
        QCOMPARE(f.accounts.CurrentAccount()->pollFailed, quint16(1));
        QCOMPARE(background(f.edit("ViewPollTimer")), QColor(Qt::red));
        f.button("AccEdit")->click();
        f.button("AddUpdate")->click();
        QCOMPARE(f.dialogs.texts(), QStringList());
        QCOMPARE(f.text("ViewPollTimer"), u"63"_s); // from the greater delay
        QCOMPARE(background(f.edit("ViewPollTimer")), QColor(0, 255, 0));
        Image smithSaved = loaded(smith);
        smithSaved.name = "J Smith Limited";
        smithSaved.timer = 0;
        smithSaved.failed = 1;
        QCOMPARE(f.file(),
                 smithSaved.bytes() + (Image{brown.number, brown.name, 30, 60, 0, 63}.bytes()));
    }

    // A tick during the question counts: the save builds on the account as it is then.
    void changesWhileAskingAreKept() {
        struct TickingDialogs : ScriptedDialogs {
            std::function<void()> whileAsking;
            bool question(const QString &title, const QString &text) override {
                whileAsking();
                return ScriptedDialogs::question(title, text);
            }
        };
        AccountPageFixture f(smith.bytes());
        QVERIFY(f.ready());
        TickingDialogs dialogs;
        dialogs.whileAsking = [&f] {
            for (int minute = 0; minute < 13; ++minute)
                f.polls.minuteTick();
        };
        AccountPage page({f.accounts, f.settings, dialogs});
        page.setLoggedOn(true);
        page.findChild<QPushButton *>(u"AccEdit"_s)->click();
        page.findChild<QSpinBox *>(u"NewAccPoll"_s)->setValue(0);
        page.findChild<QSpinBox *>(u"NewAccArmPoll"_s)->setValue(5);
        page.findChild<QPushButton *>(u"AddUpdate"_s)->click();
        QCOMPARE(dialogs.texts().size(), 1);
        // Failed while asked: the save restarts it, from the new armed delay: 5 + 3 minutes.
        QCOMPARE(f.accounts.CurrentAccount()->pollTimer, quint16(8));
        QCOMPARE(f.accounts.CurrentAccount()->pollFailed, quint16(0));
    }

    void deleteTheOnlyAccount() {
        AccountPageFixture f(smith.bytes());
        QVERIFY(f.ready());
        f.fillEditor(u"whatever"_s, u"99"_s, 0, 0); // by mouse the button names the account
        QTest::mouseClick(f.button("DeleteBtn"), Qt::LeftButton);
        QCOMPARE(f.dialogs.texts(), QStringList());
        QCOMPARE(f.file(), QByteArray(""));
        QCOMPARE(f.accounts.AccountCount(), 0);
        QCOMPARE(caption(f), u"Account:0"_s);
        QCOMPARE(enabled(f), states(false, false, false, false, false, false));
        QCOMPARE(f.text("ViewName"), QString());
    }

    // The file holds single-byte text: a character beyond it is never stored changed, the save
    // is refused and names it; every character it can hold reads back as typed.
    void unstorableCharactersAreRefused() {
        AccountPageFixture f(smith.bytes());
        QVERIFY(f.ready());
        const QByteArray before = f.file();
        f.fillEditor(u"x"_s, u"77"_s, 10, 0);
        f.edit("NewAccName")->setText(u"O\u2019Brien \u0141"_s);
        f.button("AddUpdate")->click();
        f.edit("NewAccName")->setText(u"Caf\u00e9 M\u00fcller \u00bd"_s);
        f.edit("NewNuaIp")->setText(u"10.0.0.\U0001F600"_s);
        f.button("AddUpdate")->click();
        QCOMPARE(f.file(), before);
        QCOMPARE(f.dialogs.texts(),
                 (QStringList{u"The account name holds the character \"\u2019\" (U+2019), which "
                              "the account file cannot store. Nothing was saved."_s,
                              u"The NUA / IP address holds the character \"\U0001F600\" "
                              "(U+1F600), which the account file cannot store. Nothing was "
                              "saved."_s}));
        QCOMPARE(f.dialogs.asked.last().icon, ScriptedDialogs::Entry::Error);

        f.edit("NewNuaIp")->setText(u"10.0.0.\u00ff"_s);
        f.button("AddUpdate")->click();
        const Image saved{77, "Caf\xe9 M\xfcller \xbd", 10, 0, 0, 13, "10.0.0.\xff"};
        QCOMPARE(f.file(), loaded(smith).bytes() + saved.bytes());
        QCOMPARE(f.text("ViewName"), u"Caf\u00e9 M\u00fcller \u00bd"_s);
    }

    // After a delete the button keeps the focus; the next click deletes the account now on view.
    void deleteTwiceByMouse() {
        AccountPageFixture f(threeAccounts());
        QVERIFY(f.ready());
        QTest::mouseClick(f.button("DeleteBtn"), Qt::LeftButton);
        QCOMPARE(f.accounts.AccountCount(), 2);
        const QString second = f.text("ViewName");
        QTest::mouseClick(f.button("DeleteBtn"), Qt::LeftButton);
        QCOMPARE(f.dialogs.texts(), QStringList());
        QCOMPARE(f.accounts.AccountCount(), 1);
        QVERIFY(f.text("ViewName") != second);
    }

    // "&Delete" by its accelerator acts on the number typed, without the copy of the view.
    void deleteByAccelerator() {
        AccountPageFixture f(threeAccounts());
        QVERIFY(f.ready());
        f.page->setLoggedOn(false);
        const QByteArray before = f.file();
        f.fillEditor(u"Stray"_s, u"777"_s, 5, 5);
        f.edit("NewAccName")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(f.edit("NewAccName"), Qt::Key_D, Qt::AltModifier);
        QTRY_COMPARE_WITH_TIMEOUT(f.dialogs.texts(), QStringList{u"Account Not Found"_s}, 10000);
        QCOMPARE(f.file(), before);
        QCOMPARE(f.accounts.AccountCount(), 3);
        QCOMPARE(f.text("NewAccName"), u"Stray"_s);

        f.type("AccountCode", u"246813"_s);
        f.spin("NewAccPoll")->setValue(0);
        f.spin("NewAccArmPoll")->setValue(10);
        QTest::keyClick(f.edit("NewAccName"), Qt::Key_D, Qt::AltModifier);
        QTRY_COMPARE_WITH_TIMEOUT(f.accounts.AccountCount(), 2, 10000);
        QCOMPARE(f.dialogs.texts().last(), u"Account already in use, do you want to overwrite?"_s);
        QCOMPARE(f.file(), loaded(smith).bytes() + loaded(brown).bytes());
        QCOMPARE(f.text("ViewName"), u"J Smith Ltd"_s);
        QCOMPARE(caption(f), u"Account:2"_s);
    }

    // A save that cannot be written changes nothing: not the file, the table, nor the view.
    void failedSaveLeavesEverything() {
        AccountPageFixture f(threeAccounts());
        QVERIFY(f.ready());
        const QByteArray before = f.file();
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 150;

        f.fillEditor(u"Other"_s, u"A"_s, 1, 1);
        f.dialogs.answers = {true};
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        f.button("AddUpdate")->click();
        f.fillEditor(u"New"_s, u"12"_s, 1, 1);
        f.button("AddUpdate")->click();
        QTest::mouseClick(f.button("DeleteBtn"), Qt::LeftButton);
        setrlimit(RLIMIT_FSIZE, &old);

        const QList<ScriptedDialogs::Entry> asked = f.dialogs.asked;
        QCOMPARE(asked.size(), 4);
        for (int i : {1, 2, 3}) {
            QCOMPARE(asked.at(i).kind, ScriptedDialogs::Entry::Notice);
            QVERIFY(!asked.at(i).text.isEmpty());
        }
        QCOMPARE(f.file(), before);
        QCOMPARE(f.accounts.AccountCount(), 3);
        QCOMPARE(f.accounts.currentIndex(), 0);
        QCOMPARE(f.text("ViewName"), u"J Smith Ltd"_s);
        QCOMPARE(caption(f), u"Account:3"_s);
        QCOMPARE(QDir(f.env.path()).entryList({u"Accounts*"_s}, QDir::Files),
                 QStringList{u"Accounts.PDB"_s});
    }

    // The view follows changes from a connection thread as well.
    void viewFollowsChangesFromAnyThread() {
        AccountPageFixture f(smith.bytes());
        QVERIFY(f.ready());
        std::unique_ptr<QThread> poller(
            QThread::create([&f] { f.polls.PollReceived(2468, char(0x08), "10.9.9.9"); }));
        poller->start();
        QVERIFY(poller->wait(10000));
        QTRY_COMPARE_WITH_TIMEOUT(f.text("IP_NUA"), u"10.9.9.9"_s, 10000);
        QCOMPARE(f.text("ViewPollTimer"), u"3"_s); // armed: from the armed delay of 0
    }
};

QTEST_MAIN(TestAccountPage)
#include "test_accountpage.moc"
