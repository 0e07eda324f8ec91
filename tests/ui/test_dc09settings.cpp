#include "accounts/pollsupervision.h"
#include "ipserver/dc09keys.h"
#include "settings/settingsstore.h"
#include "ui/accountpage.h"
#include "ui/eventpages.h"
#include "windowfixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray hexKey = "000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F";

int modeBits(const QString &path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 0777)
                                                                     : -1;
}

} // namespace

// The DC-09 controls of the windows: the options in "IP Conection" and their store, and the
// account editor's masked key with its save to the key file.
class Dc09SettingsTest : public QObject {
    Q_OBJECT

    struct Fixture : WindowFixture {
        Dc09Keys keys{env.filePath(Dc09Keys::fileName)};
        AccountPage *page = nullptr;

        explicit Fixture(const QByteArray &keyFile = {}) {
            if (!keyFile.isEmpty()) {
                QFile file(keys.filePath());
                if (file.open(QIODevice::WriteOnly))
                    file.write(keyFile);
            }
            keys.load();
            accounts.ReadAccRec(1);
            page = new AccountPage({accounts, settings, dialogs, &keys});
            main.setAccountPage(page);
            main.pages()->setCurrentIndex(EventPages::PollingAccounts);
            page->setLoggedOn(true);
        }
        QLineEdit *keyField() { return control<QLineEdit>(u"Dc09Key"_s); }
        void enterAccount(const QString &code) {
            control<QLineEdit>(u"AccountCode"_s)->setText(code);
            control<QSpinBox>(u"NewAccPoll"_s)->setValue(5);
        }
        void typeKey(const QString &key) {
            keyField()->clear();
            QTest::keyClicks(keyField(), key);
        }
    };

private slots:
    // On by default, clear messages accepted, their time not checked, every account taken; every
    // click is the stored value at the next write, and a stored value comes back at the next
    // read.
    void optionsAreStoredWithTheSettings() {
        Fixture f;
        auto *group = f.control<QGroupBox>(u"IpConectionGroup"_s);
        const QStringList names{u"Dc09On"_s, u"Dc09AcceptClear"_s, u"Dc09CheckClearTime"_s,
                                u"KnownAccountsOnly"_s};
        const QList<SettingKey> keys{SettingKey::Dc09On, SettingKey::Dc09AcceptClear,
                                     SettingKey::Dc09CheckClearTime, SettingKey::KnownAccountsOnly};
        QList<bool> shown;
        for (const QString &name : names) {
            auto *box = group->findChild<QCheckBox *>(name);
            QVERIFY2(box, qPrintable(name));
            shown.append(box->isChecked());
            box->click();
        }
        QCOMPARE(shown, QList<bool>({true, true, false, false}));
        for (qsizetype i = 0; i < keys.size(); ++i)
            QCOMPARE(f.settings.flag(keys.at(i)), !shown.at(i));
        auto store = openSettingsStore();
        Write_Registry(f.settings, *store);
        store.reset();
        QCOMPARE(f.env.storedValue(u"Logic/DC09 On"_s), u"0"_s);
        QCOMPARE(f.env.storedValue(u"Logic/DC09 Accept Clear"_s), u"0"_s);
        QCOMPARE(f.env.storedValue(u"Logic/DC09 Check Clear Time"_s), u"1"_s);
        QCOMPARE(f.env.storedValue(u"Logic/Known accounts only"_s), u"1"_s);

        QVERIFY(f.env.writeSettings("[Logic]\nDC09 On=1\nDC09 Check Clear Time=0\n"));
        store = openSettingsStore();
        Read_Registry(f.settings, *store);
        QVERIFY(group->findChild<QCheckBox *>(u"Dc09On"_s)->isChecked());
        QVERIFY(group->findChild<QCheckBox *>(u"Dc09AcceptClear"_s)->isChecked()); // default
        QVERIFY(!group->findChild<QCheckBox *>(u"Dc09CheckClearTime"_s)->isChecked());
    }

    // The key of the account copied into the editor is shown masked; a save with an untouched
    // key field leaves the key file alone, one with a typed key writes it into the file for the
    // monitor's user only, keeping the rest of the file; a typed text that is no key is refused
    // before anything is saved.
    void theEditorEditsTheMaskedKey() {
        Fixture f("# hand written\n5801 AAAAAAAAAAAAAAAA\n");
        QCOMPARE(f.keyField()->echoMode(), QLineEdit::Password);
        f.enterAccount(u"5801"_s);
        f.control<QPushButton>(u"AddUpdate"_s)->click();
        f.control<QPushButton>(u"AccEdit"_s)->click();
        QCOMPARE(f.keyField()->text(), u"AAAAAAAAAAAAAAAA"_s);
        QCOMPARE(f.env.readFile(Dc09Keys::fileName), "# hand written\n5801 AAAAAAAAAAAAAAAA\n");

        f.typeKey(QString::fromLatin1(hexKey));
        f.control<QPushButton>(u"AddUpdate"_s)->click();
        QCOMPARE(f.env.readFile(Dc09Keys::fileName), "# hand written\r\n5801 " + hexKey + "\r\n");
        QCOMPARE(modeBits(f.keys.filePath()), 0600);
        QCOMPARE(f.keys.key("5801"), QByteArray::fromHex(hexKey));

        const QByteArray accountsBefore = f.env.readFile(u"Accounts.PDB"_s);
        f.enterAccount(u"77"_s);
        f.typeKey(u"too short"_s);
        f.control<QPushButton>(u"AddUpdate"_s)->click();
        QCOMPARE(f.dialogs.asked.size(), 1);
        QCOMPARE(f.dialogs.asked.first().title, u"Error"_s);
        QVERIFY(!f.dialogs.asked.first().text.contains(u"too short"_s));
        QCOMPARE(f.env.readFile(u"Accounts.PDB"_s), accountsBefore);
        QVERIFY(!f.keys.key("77"));

        f.page->clearEditor();
        QVERIFY(f.keyField()->text().isEmpty());
    }
};

QTEST_MAIN(Dc09SettingsTest)
#include "test_dc09settings.moc"
