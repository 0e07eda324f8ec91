// Prints the time of one disk flush of the queue journal and how many messages per second are
// stored and flushed from 1 and from 100 threads (one per connection), sharing flushes.
#include "store/queuejournal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

double storeFrom(int threads, int perThread) {
    QTemporaryDir dir;
    QueueJournal journal;
    journal.open(dir.filePath(QueueJournal::fileName));
    QElapsedTimer timer;
    timer.start();
    std::vector<std::unique_ptr<QThread>> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back(QThread::create([&journal, perThread] {
            for (int n = 0; n < perThread; ++n)
                journal.flushed(journal.addPending("127.0.0.1", "3D#2468xHNri1BA001y@", {}));
        }));
        workers.back()->start();
    }
    for (auto &worker : workers)
        worker->wait();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const double total = double(threads) * perThread;
    std::printf("%3d thread(s): %7.0f messages/s stored, %llu flushes for %.0f messages\n", threads,
                total / seconds, static_cast<unsigned long long>(journal.flushCount()), total);
    return total / seconds;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    QueueJournal journal;
    journal.open(dir.filePath(QueueJournal::fileName));
    QElapsedTimer timer;
    timer.start();
    const int flushes = 200;
    for (int i = 0; i < flushes; ++i)
        journal.flushed(journal.addTx("line", {}));
    std::printf("one store + flush: %.3f ms\n", double(timer.nsecsElapsed()) / 1e6 / flushes);
    storeFrom(1, 500);
    storeFrom(100, 50);
    return 0;
}
