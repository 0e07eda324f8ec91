#include "fuzzentries.h"

#include <QDir>
#include <QFile>
#include <QtTest>

// Every checked-in fuzz input, the seeds and the reproducers of faults the fuzzers found, through
// the fuzzers' own entry points: a rule broken by any of them aborts the run.
class FuzzCorpusTest : public QObject {
    Q_OBJECT

private slots:
    void everyTargetHasACorpus() {
        for (const fuzzentries::Target &target : fuzzentries::targets) {
            const QDir directory(corpusPath(target.name));
            QVERIFY2(!directory.entryList(QDir::Files).isEmpty(), target.name);
        }
    }

    void corpusFileRunsClean_data() {
        QTest::addColumn<int>("target");
        QTest::addColumn<QString>("path");
        int index = 0;
        for (const fuzzentries::Target &target : fuzzentries::targets) {
            const QDir directory(corpusPath(target.name));
            for (const QString &file : directory.entryList(QDir::Files, QDir::Name)) {
                const QByteArray row = QByteArray(target.name) + '/' + file.toUtf8();
                QTest::newRow(row.constData()) << index << directory.filePath(file);
            }
            ++index;
        }
    }

    void corpusFileRunsClean() {
        QFETCH(int, target);
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        fuzzentries::targets[target].run(file.readAll());
    }

private:
    static QString corpusPath(const char *name) {
        return QStringLiteral(VODURO_FUZZ_CORPUS "/") + QString::fromLatin1(name);
    }
};

QTEST_GUILESS_MAIN(FuzzCorpusTest)
#include "test_fuzzcorpus.moc"
