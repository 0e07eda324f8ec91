// Acknowledgements per second of the IP receiver with the queues stored on the disk before each
// reply (group commit shares a flush among the connections waiting for one), on 1 and on 100
// loopback connections, beside the time of one disk flush on this machine; then the same runs
// with durability off (the receiver without a journal keeps its queue in memory only). Every
// panel sends its next report only when the reply to the last one has come, as panels do.
//
//   bench_durable_ip [messages per connection on 100 connections, default 100]

#include "accounts/accounttable.h"
#include "accounts/pollsupervision.h"
#include "benchengine.h"
#include "common/logbook.h"
#include "common/operatordialogs.h"
#include "engine/engine.h"
#include "events/eventlistmodel.h"
#include "events/txqueue.h"
#include "ipserver/enginewiring.h"
#include "ipserver/ipserver.h"
#include "ipserver/pollreportlines.h"
#include "settings/settings.h"
#include "store/queuejournal.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const QByteArray ack = QByteArrayLiteral("\x06\r\n");

// The receiver as the program wires it, log files off, in a working directory of its own.
struct Receiver {
    QTemporaryDir dir;
    Settings settings;
    LogBook logs{dir.path()};
    AccountTable accounts{dir.filePath(QStringLiteral("Accounts.PDB"))};
    EventLists lists;
    TxQueue txQueue;
    QuietDialogs dialogs;
    QuietBeeper beeper;
    Engine engine{{settings, logs, accounts, lists, txQueue, dialogs, beeper}};
    PollReportLines reportLines{settings, txQueue, logs};
    PollSupervision polls{accounts, reportLines, [] { return 1; }};
    IpServer server{accounts, polls, logs};
    QueueJournal journal;

    explicit Receiver(bool durable) {
        if (durable) {
            journal.open(dir.filePath(QueueJournal::fileName));
            engine.setJournal(&journal);
            server.setJournal(&journal);
        }
        connectReceiverToEngine(server.output(), engine);
        server.setListenAddress(QHostAddress::LocalHost);
        server.setPort(freeLoopbackPort());
        server.activate();
    }
};

// One panel: connects, then sends its reports one at a time, each after the reply to the last.
void panel(quint16 port, int index, int messages, std::atomic<int> &answered,
           std::atomic<int> &failed) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        failed += messages;
        ::close(fd);
        return;
    }
    for (int n = 0; n < messages; ++n) {
        const QByteArray report =
            "3F#" + QByteArray::number(100000 + (index * 7919 + n) % 900000) + "xHNri1BA001y@";
        char reply[3];
        qsizetype got = 0;
        if (::write(fd, report.constData(), size_t(report.size())) != report.size())
            break;
        while (got < 3) {
            const ssize_t read = ::read(fd, reply + got, size_t(3 - got));
            if (read <= 0)
                break;
            got += read;
        }
        if (QByteArray(reply, got) != ack) {
            ++failed;
            break;
        }
        ++answered;
    }
    ::close(fd);
}

void run(bool durable, int connections, int messages) {
    Receiver receiver(durable);
    const quint16 port = receiver.server.serverPort();
    std::atomic<int> answered{0};
    std::atomic<int> failed{0};
    QElapsedTimer timer;
    timer.start();
    std::vector<std::thread> panels;
    for (int c = 0; c < connections; ++c)
        panels.emplace_back(panel, port, c, messages, std::ref(answered), std::ref(failed));
    const int total = connections * messages;
    while (answered + failed < total)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    for (std::thread &thread : panels)
        thread.join();
    // Every acknowledged report reaches "Pending Messages" (queued to this thread).
    while (receiver.engine.pendingMessages().size() < answered)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::printf("%-9s %3d connection(s): %7.0f acknowledgements/s (%d answered, %d failed",
                durable ? "durable" : "in memory", connections, answered / seconds, answered.load(),
                failed.load());
    if (durable)
        std::printf(", %llu disk flushes",
                    static_cast<unsigned long long>(receiver.journal.flushCount()));
    std::printf(")\n");
    receiver.server.deactivate();
}

// One stored record and its flush, alone: the floor of one acknowledgement's wait.
void flushTime() {
    QTemporaryDir dir;
    QueueJournal journal;
    journal.open(dir.filePath(QueueJournal::fileName));
    const int flushes = 200;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < flushes; ++i)
        journal.flushed(journal.addTx("line", {}));
    std::printf("one disk flush (store + fdatasync): %.3f ms\n",
                double(timer.nsecsElapsed()) / 1e6 / flushes);
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    const int perConnection = argc > 1 ? std::max(1, atoi(argv[1])) : 100;
    flushTime();
    for (const bool durable : {true, false}) {
        run(durable, 1, 1000);
        run(durable, 100, perConnection);
    }
    return 0;
}
