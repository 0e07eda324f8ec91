#include "dc09wirefixture.h"
#include "ipserver/refusallog.h"
#include "metrics/figures.h"

#include <QDir>
#include <QRegularExpression>
#include <QtTest>

using dc09wire::DatagramPanel;

namespace {

using Line = RefusalLog::Line;

QList<Line> refusal(int lines) {
    QList<Line> refused{{LogBook::IpLog, " -- ", "read"}};
    for (int i = 1; i < lines; ++i)
        refused.append({LogBook::ConversionLog, " -- ", "[why] read"});
    return refused;
}

// The counts of the "left out" lines of the exception log, in their order.
QList<quint64> leftOutCounts(const QList<QByteArray> &texts) {
    static const QRegularExpression said(QStringLiteral("^\\[(\\d+) refusal lines left out"));
    QList<quint64> counts;
    for (const QByteArray &text : texts) {
        const QRegularExpressionMatch match = said.match(QString::fromLatin1(text));
        if (match.hasMatch())
            counts.append(match.captured(1).toULongLong());
    }
    return counts;
}

qint64 logBytes(const QString &directory) {
    qint64 bytes = 0;
    for (const QFileInfo &file : QDir(directory).entryInfoList(
             {QStringLiteral("*.TXT"), QStringLiteral("*.txt")}, QDir::Files))
        bytes += file.size();
    return bytes;
}

} // namespace

// What the receiver writes about what it refuses: a bounded rate of lines, whatever a peer sends.
class RefusalLogTest : public QObject {
    Q_OBJECT

private slots:
    // 100 lines a second, the lines of one refusal all or none; the count of those left out is
    // said once their second is over, by the next refusal or by the time check, once.
    void linesAreLoggedAtTheirRate() {
        IpServerFixture f; // its log book writes, as with "Save Rx" on
        qint64 second = 10;
        RefusalLog rate(f.logs, [&second] { return second; });
        for (int i = 0; i < 49; ++i)
            rate.write(refusal(2));
        rate.write(refusal(3)); // 101 lines: left out whole
        rate.write(refusal(2)); // 100
        rate.write(refusal(1));
        rate.sayLeftOut();
        QCOMPARE(f.logTexts(LogBook::IpLog).size(), 50);
        QVERIFY(leftOutCounts(f.logTexts(LogBook::ConversionLog)).isEmpty());
        second = 11;
        rate.sayLeftOut();
        rate.sayLeftOut();
        QCOMPARE(leftOutCounts(f.logTexts(LogBook::ConversionLog)), QList<quint64>{4});
        for (int i = 0; i < 52; ++i)
            rate.write(refusal(2));
        second = 13;
        rate.write(refusal(2)); // says the 4 lines of second 11 first
        QList<QByteArray> texts = f.logTexts(LogBook::ConversionLog);
        QCOMPARE(leftOutCounts(texts), QList<quint64>({4, 4}));
        QCOMPARE(texts.size(), 50 + 1 + 50 + 1 + 1); // reasons, said, reasons, said, a reason
        QCOMPARE(texts.at(texts.size() - 2), RefusalLog::leftOutText(4));
        QCOMPARE(f.logTexts(LogBook::IpLog).size(), 50 + 50 + 1);
        QCOMPARE(rate.leftOutTotal(), quint64(8));

        f.logs.setSaveEnabled(false); // nothing written is nothing left out
        for (int i = 0; i < 200; ++i)
            rate.write(refusal(2));
        QCOMPARE(rate.leftOutTotal(), quint64(8));
    }

    // With the logs on, 2 MB of refused bytes sent as fast as the connection takes them and 5,000
    // refused datagrams write under 1 MB of logs, and every refusal line left out is counted.
    void aFloodOfRefusedBytesWritesLittle() {
        IpServerFixture f;
        // Junk is never answered, so the connection's message deadline would end the flood
        // wherever reading it takes longer than that (a sanitizer build); this test counts logs.
        f.server.setMessageDeadline(600'000);
        QVERIFY(f.start());
        const quint64 refusedBefore = figures().refusedCount(Refusal::Framing);
        Panel panel(f.port());
        QVERIFY(panel.waitConnected());
        panel.send(QByteArray(2 * 1024 * 1024, '\n')); // each LF a frame without its end
        panel.close();
        QVERIFY(QTest::qWaitFor([&] { return f.server.openConnections() == 0; }, 300000));
        DatagramPanel datagrams(f.port());
        const auto refused = [&] { return figures().refusedCount(Refusal::Framing); };
        // In rounds the system's receive buffer holds whole.
        for (int round = 0; round < 100; ++round) {
            const quint64 before = refused();
            for (int i = 0; i < 50; ++i)
                datagrams.socket.writeDatagram("\n", QHostAddress::LocalHost, f.port());
            QVERIFY(QTest::qWaitFor([&] { return refused() == before + 50; }, 15000));
        }
        // Two lines a refusal (the read and its reason), each written or counted as left out.
        const quint64 lines = 2 * (refused() - refusedBefore);
        QVERIFY(lines > 2 * 2'000'000);
        const auto accounted = [&] {
            const QList<QByteArray> reasons = f.logTexts(LogBook::ConversionLog);
            const QList<quint64> counts = leftOutCounts(reasons);
            // The reads less the connection's end, and the reasons.
            quint64 total = quint64(f.logTexts(LogBook::IpLog).size() - 1);
            total += quint64(reasons.size() - counts.size());
            for (quint64 count : counts)
                total += count;
            return total;
        };
        QVERIFY(QTest::qWaitFor([&] { return accounted() == lines; }, 15000));
        QVERIFY(!leftOutCounts(f.logTexts(LogBook::ConversionLog)).isEmpty());
        const qint64 written = logBytes(f.env.path());
        QVERIFY2(written <= 1'000'000, qPrintable(QString::number(written)));
    }
};

QTEST_MAIN(RefusalLogTest)
#include "test_refusallog.moc"
