#include "events/txqueue.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

class TestTxQueue : public QObject {
    Q_OBJECT
private slots:
    void headFirstAndOnlyRemoveHeadRemoves();
    void clearEmptiesAndSaysSo();
    void appendsFromOtherThreadsKeepTheirOrder();
    void aLineFromAnotherThreadKeepsItsPlace();
};

void TestTxQueue::headFirstAndOnlyRemoveHeadRemoves() {
    TxQueue queue;
    QSignalSpy inserted(&queue, &QAbstractItemModel::rowsInserted);
    queue.append("5041 187501E13001015");
    queue.append("S041[#2468|N\xE9]");
    QCOMPARE(inserted.size(), 2); // on the owner thread the line is there at once
    QCOMPARE(inserted.at(1).at(1).toInt(), 1);
    QCOMPARE(queue.head(), QByteArray("5041 187501E13001015"));
    QCOMPARE(queue.data(queue.index(1)).toString(), QStringLiteral("S041[#2468|N\u00E9]"));
    queue.removeHead();
    QCOMPARE(queue.lines(), QByteArrayList{"S041[#2468|N\xE9]"});
    queue.removeHead();
    queue.removeHead(); // nothing left: nothing happens
    QVERIFY(queue.isEmpty());
    QCOMPARE(queue.head(), QByteArray());
}

void TestTxQueue::clearEmptiesAndSaysSo() {
    TxQueue queue;
    QSignalSpy cleared(&queue, &TxQueue::cleared);
    queue.append("a");
    queue.append("b");
    queue.clear();
    QCOMPARE(cleared.size(), 1);
    QCOMPARE(queue.rowCount(), 0);
}

// Two producer threads: every line arrives, each thread's lines in its order, and the model
// announces them on its own thread.
void TestTxQueue::appendsFromOtherThreadsKeepTheirOrder() {
    TxQueue queue;
    bool announcedElsewhere = false;
    connect(&queue, &QAbstractItemModel::rowsInserted, this,
            [&] { announcedElsewhere |= QThread::currentThread() != queue.thread(); });
    auto producer = [&queue](char name) {
        return QThread::create([&queue, name] {
            for (int k = 0; k < 500; ++k)
                queue.append(name + QByteArray::number(k));
        });
    };
    std::unique_ptr<QThread> first(producer('a'));
    std::unique_ptr<QThread> second(producer('b'));
    first->start();
    second->start();
    QTRY_COMPARE_WITH_TIMEOUT(queue.size(), 1000, 10000);
    QVERIFY(first->wait(10000) && second->wait(10000));
    QVERIFY(!announcedElsewhere);
    int next[2] = {0, 0};
    for (const QByteArray &line : queue.lines()) {
        int &expected = next[line.at(0) - 'a'];
        QCOMPARE(line.mid(1).toInt(), expected++);
    }
}

// A line appended on another thread before one on the owner thread stays before it, as the
// journal numbers them: after a restart they come back in the order they were shown.
void TestTxQueue::aLineFromAnotherThreadKeepsItsPlace() {
    TxQueue queue;
    std::unique_ptr<QThread> producer(QThread::create([&queue] { queue.append("failure"); }));
    producer->start();
    QVERIFY(producer->wait(10000));
    queue.append("restore");
    QCOMPARE(queue.lines(), QByteArrayList({"failure", "restore"}));
}

QTEST_GUILESS_MAIN(TestTxQueue)
#include "test_txqueue.moc"
