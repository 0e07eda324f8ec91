#include "common/datetimetext.h"
#include "common/logbook.h"
#include "support/tempenvironment.h"

#include <QLocale>
#include <QThread>
#include <QtTest>

#include <vector>

// The log files: line format, switches and concurrent writers.
class LogBookTest : public QObject {
    Q_OBJECT

    static QString fixedStamp() {
        return dateTimeText(QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7)));
    }

private slots:
    void init() {
        Clock::setNowFunction([] { return QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7)); });
    }
    void cleanup() { Clock::setNowFunction({}); }

    void dateTimeTextLeavesOutMidnight() {
        const QLocale locale = QLocale::system();
        const QDate day(2026, 3, 1);
        QCOMPARE(dateTimeText(QDateTime(day, QTime(0, 0, 0))),
                 locale.toString(day, QLocale::ShortFormat));
        const QString withTime = dateTimeText(QDateTime(day, QTime(0, 0, 1)));
        QVERIFY(withTime.startsWith(locale.toString(day, QLocale::ShortFormat) + QLatin1Char(' ')));
        QVERIFY(withTime.contains(QStringLiteral("01")));
        // No time-zone name at the end.
        QVERIFY(!withTime.endsWith(QStringLiteral("UTC")));
        QVERIFY(!withTime.contains(QStringLiteral("  ")));
    }

    void appendsWholeLinesWithCrLf() {
        TempEnvironment env;
        LogBook logs;
        logs.setSaveEnabled(true);
        QVERIFY(logs.appendStamped(LogBook::TxLog, "5041 182468E13001003"));
        QVERIFY(logs.Append_Message(LogBook::RxLog, QByteArray("raw\x00\xff", 5)));
        QCOMPARE(env.readFile("Tx_Log.TXT"),
                 fixedStamp().toLocal8Bit() + " -- 5041 182468E13001003\r\n");
        QCOMPARE(env.readFile("Rx_Log.TXT"), QByteArray("raw\x00\xff\r\n", 7));
    }

    void conversionFailureCarriesAnExtraLineEnd() {
        TempEnvironment env;
        LogBook logs;
        logs.setSaveEnabled(true);
        logs.logConversionFailure(QStringLiteral("1x"));
        QCOMPARE(env.readFile("IP_EXPlog.TXT"),
                 fixedStamp().toLocal8Bit() + " -- ['1x' is not a valid integer value] 1x\r\n\r\n");
    }

    void switchedOffWritesNothingButTheConnectionLog() {
        TempEnvironment env;
        LogBook logs;
        QVERIFY(logs.appendStamped(LogBook::RxLog, "item"));
        logs.logConversionFailure(QString());
        QVERIFY(!env.fileExists("Rx_Log.TXT"));
        QVERIFY(!env.fileExists("IP_EXPlog.TXT"));

        logs.log_connection(QStringLiteral("127.0.0.1 Connected"));
        QVERIFY(!env.fileExists("Connection_log.txt"));
        logs.setConnectionLogEnabled(true);
        logs.log_connection(QStringLiteral("Logging Started"));
        logs.setConnectionLogEnabled(false);
        logs.log_connection(QStringLiteral("Logging Stopped"));
        logs.log_connection(QStringLiteral("127.0.0.1 Disconnected"));
        const QByteArray stamp = fixedStamp().toLocal8Bit();
        QCOMPARE(env.readFile("Connection_log.txt"),
                 stamp + " - Logging Started\r\n" + stamp + " - Logging Stopped\r\n");
    }

    void unwritableFileIsReportedAndDoesNotBlockLaterWriters() {
        TempEnvironment env;
        QDir().mkdir(env.filePath("Tx_Log.TXT")); // a directory cannot be opened for appending
        LogBook logs;
        logs.setSaveEnabled(true);
        QSignalSpy failures(&logs, &LogBook::failed);
        QVERIFY(!logs.appendStamped(LogBook::TxLog, "line"));
        QCOMPARE(failures.size(), 1);
        QCOMPARE(failures.first().first().toString(), QStringLiteral("Tx_Log.TXT"));
        QVERIFY(logs.appendStamped(LogBook::RxLog, "next"));
        QVERIFY(env.fileExists("Rx_Log.TXT"));
    }

    void concurrentWritersProduceWholeLines() {
        TempEnvironment env;
        LogBook logs;
        logs.setSaveEnabled(true);
        constexpr int threads = 8;
        constexpr int linesEach = 200;
        std::vector<std::unique_ptr<QThread>> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back(QThread::create([&logs, t] {
                const QByteArray text = QByteArray(60, char('A' + t));
                for (int i = 0; i < linesEach; ++i)
                    logs.Append_Message(LogBook::IpLog, text);
            }));
            workers.back()->start();
        }
        for (auto &worker : workers)
            QVERIFY(worker->wait(60000));

        const QList<QByteArray> lines = env.readFile("IP_logFile.TXT").split('\n');
        QCOMPARE(lines.size(), threads * linesEach + 1);
        QVERIFY(lines.last().isEmpty());
        for (int i = 0; i + 1 < lines.size(); ++i) {
            const QByteArray &line = lines[i];
            QCOMPARE(line.size(), 61);
            QVERIFY(line.endsWith('\r'));
            QCOMPARE(line.count(line.front()), 60);
        }
    }
};

QTEST_GUILESS_MAIN(LogBookTest)
#include "test_logbook.moc"
