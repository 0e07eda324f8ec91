#include "accounts/accounttable.h"
#include "accounts/pollsupervision.h"
#include "accounts/polltimer.h"
#include "support/tempenvironment.h"

#include <QMutex>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

class RecordingSink : public PollReportSink {
public:
    void pollReport(const PollReport &report) override {
        QMutexLocker lock(&m_mutex);
        m_reports.push_back(report);
    }
    std::vector<PollReport> reports() const {
        QMutexLocker lock(&m_mutex);
        return m_reports;
    }

private:
    mutable QMutex m_mutex;
    std::vector<PollReport> m_reports;
};

AccountRecord account(quint32 number, quint16 delay, quint16 armedDelay = 0, quint16 options = 0) {
    AccountRecord record;
    record.accNum = number;
    record.accName = "Panel";
    record.pollDelay = delay;
    record.armPollDelay = armedDelay;
    record.optionBits = options;
    return record;
}

const PollReport failure5801{PollReport::Kind::Failure, 5801, false};
const PollReport restore5801{PollReport::Kind::Restore, 5801, false};

} // namespace

// Poll supervision over the real account table: the countdown, the reloads, and the reports.
class TestPollSupervision : public QObject {
    Q_OBJECT
public:
    TestPollSupervision() = default;

private slots:
    void init() {
        m_env = std::make_unique<TempEnvironment>();
        m_table = std::make_unique<AccountTable>();
        QVERIFY(m_table->ReadAccRec(1).ok);
        m_sink = std::make_unique<RecordingSink>();
        m_allowance = 1;
        m_polls = std::make_unique<PollSupervision>(*m_table, *m_sink,
                                                    [this] { return m_allowance.load(); });
    }
    void cleanup() {
        m_polls.reset();
        m_sink.reset();
        m_table.reset();
        m_env.reset(); // back to the working directory the test started in
    }

    void failureAfterAllowedTimeThenSilence_data();
    void failureAfterAllowedTimeThenSilence();
    void restoreOnceAfterFailure();
    void largeDelaysSaturateInEveryReload();
    void lastSourceCutAndUnknownAccount();
    void pollsAndSavesOnTwoThreadsLoseNothing();
    void aRestoreNeverPassesItsFailure();

private:
    AccountRecord record(quint32 number) const {
        for (const AccountRecord &r : m_table->records())
            if (r.accNum == number)
                return r;
        return {};
    }
    void ticks(int count) {
        for (int i = 0; i < count; ++i)
            m_polls->minuteTick();
    }

    std::unique_ptr<TempEnvironment> m_env;
    std::unique_ptr<AccountTable> m_table;
    std::unique_ptr<RecordingSink> m_sink;
    std::unique_ptr<PollSupervision> m_polls;
    std::atomic<int> m_allowance{1};
};

void TestPollSupervision::failureAfterAllowedTimeThenSilence_data() {
    QTest::addColumn<int>("allowance");
    QTest::addColumn<int>("ticksToFailure");
    QTest::newRow("allowance 1, delay 10") << 1 << 13;
    QTest::newRow("allowance 0: three minutes whatever the delay") << 0 << 3;
}

void TestPollSupervision::failureAfterAllowedTimeThenSilence() {
    QFETCH(int, allowance);
    QFETCH(int, ticksToFailure);
    m_allowance = allowance;
    m_table->InsertAcc(account(5801, 10, 0, 0));
    m_table->InsertAcc(account(7000, 0)); // unsupervised: never counted, never reported
    QVERIFY(m_polls->PollReceived(5801, 'A', "127.0.0.1"));
    QCOMPARE(record(5801).pollTimer, quint16(ticksToFailure));

    ticks(ticksToFailure - 1);
    QCOMPARE(m_sink->reports().size(), 0u);
    QCOMPARE(record(5801).pollTimer, quint16(1));
    ticks(1);
    QCOMPARE(m_sink->reports(), std::vector<PollReport>{failure5801});
    QCOMPARE(record(5801).pollFailed, quint16(1));
    ticks(50);
    QCOMPARE(m_sink->reports().size(), 1u);
    QCOMPARE(record(5801).pollTimer, quint16(0));
    QCOMPARE(record(7000).pollTimer, quint16(0));
    QCOMPARE(record(7000).pollFailed, quint16(0));
}

void TestPollSupervision::restoreOnceAfterFailure() {
    m_table->InsertAcc(account(5801, 1, 0, AccountRecord::ReportFaultAsSia));
    QVERIFY(m_polls->PollReceived(5801, 'A', "127.0.0.1"));
    ticks(4);
    QCOMPARE(record(5801).pollFailed, quint16(1));
    QVERIFY(m_polls->PollReceived(5801, 'A', "127.0.0.1"));
    QVERIFY(m_polls->PollReceived(5801, 'A', "127.0.0.1"));
    const std::vector<PollReport> expected{{PollReport::Kind::Failure, 5801, true},
                                           {PollReport::Kind::Restore, 5801, true}};
    QCOMPARE(m_sink->reports(), expected);
    QCOMPARE(record(5801).pollFailed, quint16(0));
    QCOMPARE(record(5801).pollTimer, quint16(4));
}

void TestPollSupervision::largeDelaysSaturateInEveryReload() {
    m_allowance = 999;
    m_table->InsertAcc(account(5801, 999, 999));
    QVERIFY(m_polls->PollReceived(5801, char(0x08), "127.0.0.1"));
    QCOMPARE(record(5801).pollTimer, quint16(65535));
    QVERIFY(m_polls->PollReceived(5801, 'A', "127.0.0.1"));
    QCOMPARE(record(5801).pollTimer, quint16(65535));

    QVERIFY(m_table->save(AccountTable::SaveMode::Add, record(5801)).ok);
    AccountTable reloaded;
    QVERIFY(reloaded.ReadAccRec(999).ok);
    QCOMPARE(reloaded.records().front().pollTimer, quint16(65535));

    QCOMPARE(savedPollTimer(0, 999, 66, 999), quint16(65535));
    QCOMPARE(savedPollTimer(0, 10, 66, 1), quint16(69));      // the greater delay
    QCOMPARE(savedPollTimer(12, 999, 999, 999), quint16(12)); // a running timer goes on
    QCOMPARE(savedPollTimer(0, 0, 0, 5), quint16(0));         // no delay: not supervised
    QCOMPARE(savedPollTimer(40, 0, 0, 5), quint16(0));        // nor after its delays went to 0

    // The countdown itself is unchanged: one minute per tick from the top.
    ticks(1);
    QCOMPARE(record(5801).pollTimer, quint16(65534));
}

void TestPollSupervision::lastSourceCutAndUnknownAccount() {
    m_table->InsertAcc(account(5801, 10));
    QSignalSpy changed(m_table.get(), &AccountTable::changed);
    QVERIFY(m_polls->PollReceived(5801, 'A', "123456789012345678901234"));
    QCOMPARE(record(5801).lastNuaIp, QByteArray("12345678901234567890"));
    QCOMPARE(changed.size(), 1); // the account view hears of it
    QCOMPARE(m_polls->PollReceived(5802, 'A', "127.0.0.1"), std::nullopt);
    QCOMPARE(m_sink->reports().size(), 0u);
}

// A poll on a connection thread, the minute tick and the editor's saves on the user-interface
// thread all change the same records: none of their changes may be lost or torn.
void TestPollSupervision::pollsAndSavesOnTwoThreadsLoseNothing() {
    m_table->InsertAcc(account(5801, 10));
    std::atomic<bool> polling{true};
    QThread *poller = QThread::create([this, &polling] {
        while (polling)
            m_polls->PollReceived(5801, 'A', "127.0.0.1");
    });
    poller->start();
    const auto stopPolling = qScopeGuard([&] {
        polling = false;
        poller->wait();
        delete poller;
    });
    QByteArray lastName = "Panel";
    constexpr int saves = 200;
    for (int i = 1; i <= saves; ++i) {
        AccountRecord edited = record(5801);
        QCOMPARE(edited.accName, lastName); // no poll brings an older image back
        lastName = "Panel " + QByteArray::number(i);
        edited.accName = lastName;
        QVERIFY(m_table->save(AccountTable::SaveMode::Update, edited).ok);
        m_table->InsertAcc(account(100000u + quint32(i), 5)); // moves the records about
        m_polls->minuteTick();
    }
    QCOMPARE(record(5801).accName, lastName);
    QCOMPARE(m_table->AccountCount(), qsizetype(saves + 1));
}

// A poll that comes while the minute tick reports the failure it ends waits for that report:
// the restore never gets the earlier place in the queue or the journal.
void TestPollSupervision::aRestoreNeverPassesItsFailure() {
    struct RacingSink : PollReportSink {
        PollSupervision *polls = nullptr;
        std::unique_ptr<QThread> poller;
        std::vector<PollReport> reports; // in the order the reports were made whole
        void pollReport(const PollReport &report) override {
            if (report.kind == PollReport::Kind::Failure) {
                poller.reset(QThread::create([this] { polls->PollReceived(5801, 0, "10.0.0.1"); }));
                poller->start();
                poller->wait(QDeadlineTimer(300)); // a poll that could pass the failure does
            }
            static QMutex mutex;
            QMutexLocker lock(&mutex);
            reports.push_back(report);
        }
    } sink;
    PollSupervision polls(*m_table, sink, [] { return 1; });
    sink.polls = &polls;
    m_table->InsertAcc(account(5801, 1));
    m_table->update(5801, [](AccountRecord &record) { record.pollTimer = 1; });
    polls.minuteTick();
    QVERIFY(sink.poller && sink.poller->wait(10000));
    QCOMPARE(sink.reports, (std::vector<PollReport>{failure5801, restore5801}));
}

QTEST_GUILESS_MAIN(TestPollSupervision)
#include "test_pollsupervision.moc"
