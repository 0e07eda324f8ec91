#include "app/languagestart.h"
#include "app/monitor.h"
#include "app/monitorcore.h"
#include "events/eventlistmodel.h"
#include "strings/languages.h"
#include "support/tempenvironment.h"
#include "ui/comsetupwindow.h"
#include "ui/mainwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QTableView>
#include <QtTest>

// The language layer: the compiled translations found are offered in the "Language" menu, a
// choice is stored and tells the operator to restart, and the next start loads it.
class LanguageTest : public QObject {
    Q_OBJECT

    // A data directory holding the test translation where the program looks for it.
    struct Environment : TempEnvironment {
        Environment() {
            const QString translations = filePath(QStringLiteral("data/voduro/translations"));
            QDir().mkpath(translations);
            QFile::copy(QStringLiteral(VODURO_TEST_TRANSLATIONS "/voduro_de.qm"),
                        translations + QStringLiteral("/voduro_de.qm"));
            qputenv("XDG_DATA_HOME", filePath(QStringLiteral("data")).toLocal8Bit());
        }
        ~Environment() {
            Languages::install(Languages::english);
            qunsetenv("XDG_DATA_HOME");
        }
        QString stored(const QString &key) const {
            return QSettings(settingsFile(), QSettings::IniFormat).value(key).toString();
        }
    };

    static QStringList entries(Monitor &monitor) {
        QStringList names;
        const auto *menu = monitor.mainWindow().findChild<QMenu *>(QStringLiteral("Lang1"));
        for (const QAction *action : menu->actions())
            names.append(action->objectName() + QLatin1Char('=') + action->text());
        return names;
    }

    // Clicks OK on the next message box and returns its text through `text`.
    static void acceptNextBox(QString &text) {
        QTimer::singleShot(10, [&text] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            text = box->text();
            QCOMPARE(box->icon(), QMessageBox::Information);
            box->button(QMessageBox::Ok)->click();
        });
    }

private slots:
    void compiledTranslationsAreOffered() {
        Environment env;
        QVERIFY(QFile::exists(env.filePath("data/voduro/translations/voduro_de.qm")));
        QCOMPARE(Languages::available(), (QStringList{"en", "de"}));
        Monitor monitor;
        QCOMPARE(entries(monitor), (QStringList{"Lang_en=English", "Lang_de=Deutsch"}));
    }

    void aChoiceIsStoredAndLoadedAtTheNextStart() {
        Environment env;
        {
            Monitor monitor;
            QString told;
            acceptNextBox(told);
            monitor.mainWindow().findChild<QAction *>(QStringLiteral("Lang_de"))->trigger();
            QCOMPARE(told, QStringLiteral("Restart Voduro to load new language"));
            // Stored at once, and the running program keeps its language.
            QCOMPARE(env.stored("Strings/Language"), QStringLiteral("de"));
            QCOMPARE(monitor.mainWindow().findChild<QAction *>("Logon1")->text(), "Log on");
        }
        startLanguageLayer();
        QCOMPARE(Languages::current(), QStringLiteral("de"));
        Monitor monitor;
        QCOMPARE(monitor.mainWindow().findChild<QAction *>("Logon1")->text(), "Anmelden");
        QCOMPARE(monitor.comSetupWindow().windowTitle(), QStringLiteral("Verbindungen"));
        // Window captions and the lists' headings alike.
        QCOMPARE(monitor.mainWindow().findChild<QLabel *>("ComLabIP")->text(), "IP-Netz");
        QCOMPARE(monitor.core().lists().sia.headerData(2, Qt::Horizontal).toString(), "Konto");
        QCOMPARE(env.stored("Strings/Language"), QStringLiteral("de"));

        // Choosing the language in use asks for no restart.
        monitor.mainWindow().findChild<QAction *>(QStringLiteral("Lang_de"))->trigger();
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The lists' columns are as wide as their headings need in the language in use, also when a
    // translation is loaded while they are showing.
    void columnsFollowTheTranslatedHeadings() {
        Environment env;
        Monitor monitor;
        auto *poll = monitor.mainWindow().findChild<QTableView *>(QStringLiteral("Poll_List"));
        QHeaderView *header = poll->horizontalHeader();
        const int english = header->sectionSize(3);
        QVERIFY(Languages::install(QStringLiteral("de")));
        QCOMPARE(poll->model()->headerData(3, Qt::Horizontal).toString(),
                 QStringLiteral("Leitungsstörung"));
        QTRY_VERIFY(header->sectionSize(3) > english);
        QVERIFY(header->sectionSize(3) >= header->sectionSizeHint(3));
    }

    void storedChoicesWithoutATranslationStartInEnglish_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::newRow("no choice stored") << QByteArray("[Strings]\nPW=1\n");
        QTest::newRow("no such translation") << QByteArray("[Strings]\nLanguage=xx\n");
        QTest::newRow("English") << QByteArray("[Strings]\nLanguage=en\n");
    }
    void storedChoicesWithoutATranslationStartInEnglish() {
        QFETCH(QByteArray, ini);
        Environment env;
        Languages::install(QStringLiteral("de"));
        QDir().mkpath(env.filePath("config"));
        QFile file(env.settingsFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ini);
        file.close();
        startLanguageLayer();
        if (QLocale::system().language() != QLocale::German)
            QCOMPARE(Languages::current(), QStringLiteral("en"));
        Monitor monitor;
        if (Languages::current() == Languages::english)
            QCOMPARE(monitor.mainWindow().findChild<QAction *>("Logon1")->text(), "Log on");
    }
};

QTEST_MAIN(LanguageTest)
#include "test_language.moc"
