#include "support/displayless.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

// The program's command line, on the real binary and without any display.
class CommandLineTest : public QObject {
    Q_OBJECT

    struct Outcome {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

    // Runs the program to its end in `directory` (a throw-away one when empty).
    static Outcome run(const QStringList &arguments, const QString &directory = QString(),
                       const QProcessEnvironment &environment = displaylessEnvironment()) {
        QTemporaryDir scratch;
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(directory.isEmpty() ? scratch.path() : directory);
        process.start(VODURO_BINARY, arguments);
        Outcome outcome;
        if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit)
            return outcome;
        outcome.exitCode = process.exitCode();
        outcome.out = process.readAllStandardOutput();
        outcome.err = process.readAllStandardError();
        return outcome;
    }

private slots:
    void helpAndVersionAnswerWithoutADisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray version("Voduro Version 2.19\n");
        QTest::newRow("--version") << QStringList{"--version"} << version;
        QTest::newRow("-v") << QStringList{"-v"} << version;
        QTest::newRow("--version before --headless")
            << QStringList{"--version", "--headless"} << version;
        QTest::newRow("--help") << QStringList{"--help"} << QByteArray();
        QTest::newRow("-h") << QStringList{"-h"} << QByteArray();
    }
    void helpAndVersionAnswerWithoutADisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, expected);
        QTemporaryDir directory;
        const Outcome outcome = run(arguments, directory.path());
        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(outcome.err, QByteArray());
        if (!expected.isEmpty()) {
            QCOMPARE(outcome.out, expected);
        } else {
            for (const char *option :
                 {"--help", "--version", "--workdir <dir>", "--user-workdir", "--headless"})
                QVERIFY2(outcome.out.contains(option), option);
            QVERIFY(!outcome.out.contains("listen"));
        }
        // Answering is all it does: nothing is created where it was started.
        QCOMPARE(QDir(directory.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }

    void refusedCommandLinesNameTheFaultAndStartNothing_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("named");
        QTest::newRow("unknown option") << QStringList{"--headles"} << QByteArray("'headles'");
        QTest::newRow("unknown short option") << QStringList{"-x"} << QByteArray("'x'");
        QTest::newRow("stray argument") << QStringList{"--headless", "now"} << QByteArray("'now'");
        QTest::newRow("stray argument after --version")
            << QStringList{"--version", "extra"} << QByteArray("'extra'");
        QTest::newRow("stray argument after --help")
            << QStringList{"--help", "extra"} << QByteArray("'extra'");
        QTest::newRow("--workdir without its directory")
            << QStringList{"--workdir"} << QByteArray("'--workdir'");
        QTest::newRow("--workdir that does not exist")
            << QStringList{"--headless", "--workdir", "no-such-dir"} << QByteArray("'no-such-dir'");
        QTest::newRow("two working directories")
            << QStringList{"--workdir", ".", "--user-workdir"} << QByteArray("'--user-workdir'");
        QTest::newRow("listen address that is none")
            << QStringList{"--headless", "--test-listen-address", "127.0.0.256"}
            << QByteArray("'127.0.0.256'");
    }
    void refusedCommandLinesNameTheFaultAndStartNothing() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, named);
        QTemporaryDir directory;
        QProcessEnvironment environment = displaylessEnvironment();
        environment.insert("XDG_CONFIG_HOME", directory.filePath("config"));
        environment.insert("HOME", directory.filePath("home"));
        const Outcome outcome = run(arguments, directory.path(), environment);
        QCOMPARE(outcome.exitCode, 1);
        QCOMPARE(outcome.out, QByteArray());
        QVERIFY2(outcome.err.startsWith("voduro: ") && outcome.err.contains(named),
                 outcome.err.constData());
        QVERIFY(outcome.err.endsWith("Try 'voduro --help' for the options.\n"));
        QCOMPARE(QDir(directory.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }

    // The desktop menu's start: the files live in the per-user data directory, which is created
    // when missing; the home directory itself gets nothing but that directory's parents.
    void userWorkdirIsTheDataLocationCreatedWhenMissing() {
        QTemporaryDir directory;
        QVERIFY(QDir().mkpath(directory.filePath("home")));
        QProcessEnvironment environment = displaylessEnvironment();
        environment.remove("XDG_DATA_HOME");
        environment.insert("HOME", directory.filePath("home"));
        environment.insert("XDG_CONFIG_HOME", directory.filePath("config"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(directory.path());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(VODURO_BINARY, {"--user-workdir", "--headless"});
        QVERIFY(process.waitForStarted(10000));
        const QString data = directory.filePath("home/.local/share/Voduro");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(directory.filePath("config/Voduro.conf")), 20000);
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(QFileInfo(data + "/Accounts.PDB").isFile());
        QCOMPARE(QDir(directory.filePath("home"))
                     .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList{".local"});
        QCOMPARE(QDir(directory.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 (QStringList{"config", "home"}));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "test_commandline.moc"
