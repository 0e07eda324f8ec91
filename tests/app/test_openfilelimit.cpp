#include "support/tempenvironment.h"

#include "common/openfilelimit.h"

#include <QProcess>
#include <QtTest>

#include <sys/resource.h>

// The program itself, started with a desktop session's low open-file limit: it raises the limit
// to what the system allows, so the IP receiver can hold thousands of panels.
class OpenFileLimitTest : public QObject {
    Q_OBJECT

    // "Max open files" of a running process: soft and hard limit as the system reports them.
    static QByteArrayList openFileLimits(qint64 pid) {
        QFile limits(QStringLiteral("/proc/%1/limits").arg(pid));
        if (!limits.open(QIODevice::ReadOnly))
            return {};
        for (const QByteArray &line : limits.readAll().split('\n')) {
            if (line.startsWith("Max open files"))
                return line.mid(14).simplified().split(' ').mid(0, 2);
        }
        return {};
    }

private slots:
    // The reserve as the README writes it: 34 + 3 per I/O thread + the watch endpoints' 44,
    // and a margin of a tenth of that, at least 64.
    void theReserveAndTheLimitInEffect() {
        QCOMPARE(reservedDescriptors(2, 44), 84 + 64);
        QCOMPARE(reservedDescriptors(200, 44), 678 + 67);
        const ConnectionLimit tight = connectionLimit(20000, 20000, 148);
        QCOMPARE(tight.inEffect, 19852);
        QVERIFY(tight.reduced());
        QCOMPARE(connectionLimit(500, 20000, 148).inEffect, 500);
        QVERIFY(!connectionLimit(500, 20000, 148).reduced());
        QCOMPARE(connectionLimit(20000, -1, 148).inEffect, 20000); // no open-file limit
        QCOMPARE(connectionLimit(20000, 100, 148).inEffect, 1);
    }

    void programRaisesItsSoftLimitToTheHardLimit() {
        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
        if (saved.rlim_max <= 256)
            QSKIP("the hard open-file limit is already low");
        rlimit low = saved;
        low.rlim_cur = 256; // the program inherits it
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &low), 0);

        TempEnvironment env;
        QDir().mkpath(env.filePath("config"));
        QProcess program;
        env.prepareProgram(program);
        program.start(VODURO_BINARY, QStringList());
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &saved), 0);
        QVERIFY(program.waitForStarted(15000));

        const QByteArray hard = saved.rlim_max == RLIM_INFINITY
                                    ? QByteArray("unlimited")
                                    : QByteArray::number(qulonglong(saved.rlim_max));
        QTRY_COMPARE_WITH_TIMEOUT(openFileLimits(program.processId()), (QByteArrayList{hard, hard}),
                                  15000);
        program.terminate();
        QVERIFY(program.waitForFinished(15000));
    }
};

QTEST_GUILESS_MAIN(OpenFileLimitTest)
#include "test_openfilelimit.moc"
