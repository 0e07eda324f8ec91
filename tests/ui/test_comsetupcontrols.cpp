#include "ui/ledindicator.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSpinBox>

namespace {

// What a control shows before the settings are read: caption, field text or selected item, and
// for a check box "1" or "0".
struct Shown {
    const char *name, *text, *state;
};
constexpr Shown perLine[] = {
    {"CPort%1", "Com1", ""},
    {"Speed%1", "4800", ""},
    {"DataBits%1", "7 Data", "1"},
    {"Parity%1", "Even", "1"},
    {"Stop_bits%1", "2 Stop", "0"},
    {"Send_Ack%1", "ACK Required", "1"},
    {"Start_Stop%1", "START COMS", ""},
};
constexpr Shown others[] = {
    {"chkFromReceiver", "From Receiver", "0"},
    {"PortEdit", "10001", ""},
    {"Log_Con", "Log Connections", "0"},
    {"ThreadCount", "0", ""},
    {"FindAcc", "0", ""},
    {"StartIP", "START IP", ""},
    {"RxNo", "04", ""},
    {"LineNo", "1", ""},
    {"TxAtt", "4", ""},
    {"TxTimeout", "10", ""},
    {"HBeatTime", "30", ""},
    {"CheckDC4", "Add ----->", "1"},
    {"Terminate", "20", ""},
    {"FltWarning", "30", ""},
    {"CPort5", "Com1", ""},
    {"Speed5", "4800", ""},
    {"DataBits5", "7 Data", "0"},
    {"Parity5", "Even", "0"},
    {"Stop_bits5", "2 Stop", "0"},
    {"Disable_ACK", "Disable ACK", "0"},
    {"IP_Address1", "192.168.0.1", ""},
    {"IP_Port1", "2000", ""},
    {"IP_Address2", "", ""},
    {"IP_Port2", "2000", ""},
    {"Use_Pri_Sec", "Force Backup", "0"},
    {"OutputFormat", "High Speed", ""},
    {"RxLog", "Save Data in LOG Files", "0"},
    {"DoProcessing", "Process Data", "1"},
    {"UseTray", "Run in Tray", "1"},
    {"TxVoduro", "Forward to Voduro", "0"},
    {"PollCode", "350", ""},
    {"PollFailCodeSIA", "YC", ""},
    {"PollRestCodeSIA", "YK", ""},
    {"Start_Stop5", "START COMS", ""},
    {"BitBtn1", "Clear", ""},
    {"BitBtn2", "Clear", ""},
};

} // namespace

// The Coms Setup window's controls: names, captions, the values they show before and after the
// settings are read, and the way edits reach the settings.
class ComSetupControlsTest : public QObject {
    Q_OBJECT

    static QStringList items(QComboBox *box) {
        QStringList result;
        for (int i = 0; i < box->count(); ++i)
            result.append(box->itemText(i));
        return result;
    }

private slots:
    void captionsAndDefaults_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");  // caption, field text or selected item
        QTest::addColumn<QString>("state"); // check box: "1" or "0"
        const auto add = [](const QString &name, const Shown &shown) {
            QTest::newRow(qPrintable(name))
                << name << QString::fromLatin1(shown.text) << QString::fromLatin1(shown.state);
        };
        for (int line : {1, 2})
            for (const Shown &shown : perLine)
                add(QString::fromLatin1(shown.name).arg(line), shown);
        for (const Shown &shown : others)
            add(QString::fromLatin1(shown.name), shown);
    }
    void captionsAndDefaults() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, state);
        WindowFixture f;
        QWidget *widget = f.setup.findChild<QWidget *>(name);
        QVERIFY2(widget, qPrintable(name));
        if (auto *box = qobject_cast<QComboBox *>(widget))
            QCOMPARE(box->currentText(), text);
        else if (auto *spin = qobject_cast<QSpinBox *>(widget))
            QCOMPARE(spin->text(), text);
        else
            QCOMPARE(widget->property("text").toString(), text);
        if (auto *check = qobject_cast<QCheckBox *>(widget))
            QCOMPARE(check->isChecked(), state == u"1");
    }

    void windowGroupsListsAndLights() {
        WindowFixture f;
        QCOMPARE(f.setup.windowTitle(), QStringLiteral("Coms Setup"));
        QStringList titles;
        for (const QGroupBox *group : f.setup.findChildren<QGroupBox *>())
            titles.append(QString(group->title())
                              .replace(QStringLiteral("&&"), QStringLiteral("&"))); // as shown
        titles.sort();
        QCOMPARE(titles, (QStringList{"Format & Options", "Heart Beat", "IP Conection", "Path",
                                      "Pending Messages", "Received Data", "Tx Setup",
                                      "Zorer-Uda 1", "Zorer-Uda 2"}));
        for (const char *name : {"TxLED1", "RxLED1", "TxLED2", "RxLED2", "TxLED5", "RxLED5"})
            QVERIFY2(f.setup.findChild<LedIndicator *>(QString::fromLatin1(name)), name);
        QVERIFY(f.setup.findChild<QLabel *>(QStringLiteral("system")));
        QVERIFY(f.setup.findChild<QLabel *>(QStringLiteral("ErrorAcc")));
        QVERIFY(f.control<QLineEdit>(QStringLiteral("ThreadCount"))->isReadOnly());
        QVERIFY(f.control<QLineEdit>(QStringLiteral("FindAcc"))->isReadOnly());

        auto *received = f.control<QListView>(QStringLiteral("ListBox1"));
        auto *pending = f.control<QListView>(QStringLiteral("ListBox2"));
        QCOMPARE(received->model(), &f.engine.receivedData());
        QCOMPARE(pending->model(), &f.engine.pendingMessages());
        QVERIFY(received->uniformItemSizes() && pending->uniformItemSizes());
    }

    void dropDownItems() {
        WindowFixture f;
        const QStringList coms{"Com1", "Com2", "Com3", "Com4", "Com5",
                               "Com6", "Com7", "Com8", "Com9"};
        const QStringList speeds{"300", "1200", "2400", "4800", "9600", "19200", "38400"};
        QCOMPARE(items(f.control<QComboBox>(QStringLiteral("CPort1"))), coms);
        QCOMPARE(items(f.control<QComboBox>(QStringLiteral("CPort2"))), coms);
        QCOMPARE(items(f.control<QComboBox>(QStringLiteral("CPort5"))),
                 coms + QStringList{"TCP/IP"});
        for (const char *name : {"Speed1", "Speed2", "Speed5"})
            QCOMPARE(items(f.control<QComboBox>(QString::fromLatin1(name))), speeds);
        QCOMPARE(items(f.control<QComboBox>(QStringLiteral("OutputFormat"))),
                 (QStringList{"High Speed", "Basic"}));
    }

    void settingsReadAfterCreationReachTheControls() {
        WindowFixture f;
        f.settings.setInteger(SettingKey::Port2Speed, 6);
        f.settings.setInteger(SettingKey::Port1Num, 12); // outside the list
        f.settings.setFlag(SettingKey::TxVoduro, true);
        f.settings.setFlag(SettingKey::Port1Parity, false);
        f.settings.setText(SettingKey::TxIpAdd2, QStringLiteral("10.0.0.2"));
        f.settings.setText(SettingKey::TcpPort, QStringLiteral("10002"));
        f.settings.setText(SettingKey::Password, QStringLiteral("1234"));
        QCOMPARE(f.control<QComboBox>(QStringLiteral("Speed2"))->currentText(), "38400");
        QCOMPARE(f.control<QComboBox>(QStringLiteral("CPort1"))->currentIndex(), -1);
        QVERIFY(f.control<QCheckBox>(QStringLiteral("TxVoduro"))->isChecked());
        QVERIFY(!f.control<QCheckBox>(QStringLiteral("Parity1"))->isChecked());
        QCOMPARE(f.control<QLineEdit>(QStringLiteral("IP_Address2"))->text(), "10.0.0.2");
        QCOMPARE(f.control<QSpinBox>(QStringLiteral("PortEdit"))->value(), 10002);
    }

    void operatorEditsReachTheSettings() {
        WindowFixture f;
        f.control<QComboBox>(QStringLiteral("Speed1"))->setCurrentIndex(0);
        f.control<QComboBox>(QStringLiteral("OutputFormat"))->setCurrentIndex(1);
        f.control<QCheckBox>(QStringLiteral("RxLog"))->click();
        f.control<QCheckBox>(QStringLiteral("chkFromReceiver"))->click();
        f.control<QSpinBox>(QStringLiteral("PortEdit"))->setValue(4000);
        QLineEdit *pollCode = f.control<QLineEdit>(QStringLiteral("PollCode"));
        pollCode->clear();
        QTest::keyClicks(pollCode, QStringLiteral("602"));
        QCOMPARE(f.settings.integer(SettingKey::Port1Speed), 0);
        QCOMPARE(f.settings.integer(SettingKey::OutputFormat), 1);
        QVERIFY(f.settings.flag(SettingKey::SaveRx));
        QVERIFY(f.settings.flag(SettingKey::FromReceiver));
        QCOMPARE(f.settings.text(SettingKey::TcpPort), "4000");
        QCOMPARE(f.settings.text(SettingKey::PollingCode), "602");
        // The receiver account takes digits and B-F only, as capitals, six at most.
        QLineEdit *receiver = f.control<QLineEdit>(QStringLiteral("ReceiverAccount"));
        QTest::keyClicks(receiver, QStringLiteral("12a-b|c4567"));
        QCOMPARE(receiver->text(), "12BC45");
        QCOMPARE(f.settings.text(SettingKey::ReceiverAccount), "12BC45");
    }

    // Only the operator's choice of port or speed stops a line; a settings read does not.
    void portChangeStopsTheLineOnlyWhenTheOperatorMakesIt() {
        WindowFixture f;
        QSignalSpy lineState(&f.engine, &Engine::lineStateChanged);
        QSignalSpy changes(&f.settings, &Settings::changed);
        f.settings.setInteger(SettingKey::Port2Num, 3);
        f.settings.setInteger(SettingKey::TxSpeed, 5);
        QCOMPARE(lineState.size(), 0);
        QCOMPARE(changes.size(), 2); // shown, not echoed back as edits

        f.control<QComboBox>(QStringLiteral("CPort2"))->setCurrentIndex(4);
        f.control<QComboBox>(QStringLiteral("Speed5"))->setCurrentIndex(1);
        QCOMPARE(lineState.size(), 2);
        QCOMPARE(lineState.at(0), (QVariantList{2, false}));
        QCOMPARE(lineState.at(1), (QVariantList{5, false}));
        QCOMPARE(f.settings.integer(SettingKey::Port2Num), 4);
        QCOMPARE(f.settings.integer(SettingKey::TxSpeed), 1);
    }
};

QTEST_MAIN(ComSetupControlsTest)
#include "test_comsetupcontrols.moc"
