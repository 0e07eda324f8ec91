#include "metrics/exposition.h"
#include "metrics/figures.h"

#include <QtTest>

#include <thread>

// The histograms as the metrics page shows them.
class HistogramTest : public QObject {
    Q_OBJECT

private slots:
    // A value on a bound is counted in that bound's bucket ("le"); the buckets are cumulative,
    // +Inf holds every observation, and the sum is in seconds.
    void bucketsAreCumulativeAndInclusive() {
        Histogram histogram({0.1, 1, 10});
        for (qint64 ns : {qint64(0), qint64(100'000'000), qint64(100'000'001),
                          qint64(1'000'000'000), qint64(60'000'000'000)})
            histogram.observeNs(ns);
        const Histogram::Snapshot taken = histogram.snapshot();
        QCOMPARE(taken.cumulative, (std::vector<quint64>{2, 4, 4, 5}));
        QCOMPARE(taken.count, 5u);
        QCOMPARE(taken.sumSeconds, 61.200000001);
    }

    // Observed from several threads at once, nothing is lost, and the page writes the
    // histogram in the text format's shape.
    void concurrentObservationsAllCountAndArePrinted() {
        Figures figures;
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&] {
                for (int i = 0; i < 10000; ++i)
                    figures.journalFlush.observeNs(2'000'000);
            });
        for (std::thread &thread : threads)
            thread.join();
        const QByteArray page = prometheusText(figures, "9.9");
        QVERIFY(page.contains("\nvoduro_journal_flush_seconds_bucket{le=\"0.001\"} 0\n"
                              "voduro_journal_flush_seconds_bucket{le=\"0.0025\"} 40000\n"));
        QVERIFY(page.contains("\nvoduro_journal_flush_seconds_bucket{le=\"+Inf\"} 40000\n"
                              "voduro_journal_flush_seconds_sum 80\n"
                              "voduro_journal_flush_seconds_count 40000\n"));
    }
};

QTEST_GUILESS_MAIN(HistogramTest)
#include "test_histogram.moc"
