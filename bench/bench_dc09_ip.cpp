// DC-09 acknowledgements per second of the IP receiver, with the queues stored on the disk
// before each reply, on 1 and on 100 loopback connections, clear and AES-256 (bench_dc09 gives
// the frame rules' own cost).
// Every panel sends its next report only when the reply to the last one has come, as panels do.
//
//   bench_dc09_ip [messages per connection on 100 connections, default 100]

#include "accounts/accounttable.h"
#include "accounts/pollsupervision.h"
#include "benchengine.h"
#include "common/logbook.h"
#include "common/operatordialogs.h"
#include "engine/engine.h"
#include "events/eventlistmodel.h"
#include "events/txqueue.h"
#include "ipserver/dc09keys.h"
#include "ipserver/enginewiring.h"
#include "ipserver/ipserver.h"
#include "ipserver/pollreportlines.h"
#include "protocol/dc09cipher.h"
#include "protocol/dc09content.h"
#include "protocol/dc09reply.h"
#include "settings/settings.h"
#include "store/queuejournal.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
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

const QByteArray key256 =
    QByteArray::fromHex("000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F");

// An ADM-CID report of the account, clear or encrypted with the current time.
QByteArray report(const QByteArray &account, int sequence, bool encrypted) {
    const QByteArray seq = QByteArray::number(sequence % 10000).rightJustified(4, '0');
    const QByteArray data = "#" + account + "|1130 01 001";
    if (!encrypted)
        return dc09::framed("\"ADM-CID\"" + seq + "R0L0#" + account + "[" + data + "]");
    const QByteArray content =
        "|" + data + "]_" + dc09::timestampText(QDateTime::currentDateTimeUtc());
    const QByteArray plain = QByteArray(16 - content.size() % 16, 'p') + content;
    const QByteArray cipherText = dc09::encrypt(key256, plain).value_or(QByteArray());
    return dc09::framed("\"*ADM-CID\"" + seq + "R0L0#" + account + "[" +
                        cipherText.toHex().toUpper());
}

QByteArray accountOf(int index) {
    return QByteArray::number(100000 + index);
}

// The receiver as the program wires it, log files off, durable, every panel's key on file.
struct Receiver {
    QTemporaryDir dir;
    Settings settings;
    LogBook logs{dir.path()};
    AccountTable accounts{dir.filePath(QStringLiteral("Accounts.PDB"))};
    Dc09Keys keys{dir.filePath(Dc09Keys::fileName)};
    EventLists lists;
    TxQueue txQueue;
    QuietDialogs dialogs;
    QuietBeeper beeper;
    Engine engine{{settings, logs, accounts, lists, txQueue, dialogs, beeper}};
    PollReportLines reportLines{settings, txQueue, logs};
    PollSupervision polls{accounts, reportLines, [] { return 1; }};
    IpServer server{accounts, polls, logs};
    QueueJournal journal;

    explicit Receiver(int panels) {
        QFile file(keys.filePath());
        file.open(QIODevice::WriteOnly);
        for (int i = 0; i < panels; ++i)
            file.write(accountOf(i) + " " + key256.toHex() + "\n");
        file.close();
        keys.load();
        journal.open(dir.filePath(QueueJournal::fileName));
        engine.setJournal(&journal);
        server.setJournal(&journal);
        server.setDc09Keys(&keys);
        server.setDc09Options([] { return Dc09Options{}; });
        connectReceiverToEngine(server.output(), engine);
        server.setListenAddress(QHostAddress::LocalHost);
        server.setPort(freeLoopbackPort());
        server.activate();
    }
};

bool readReply(int fd) {
    char byte = 0;
    QByteArray reply;
    while (!reply.endsWith('\r')) {
        if (::read(fd, &byte, 1) != 1)
            return false;
        reply += byte;
    }
    return reply.contains("ACK\"");
}

// One panel: connects, then sends its reports one at a time, each after the reply to the last.
void panel(quint16 port, int index, int messages, bool encrypted, std::atomic<int> &answered,
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
        const QByteArray frame = report(accountOf(index), n + 1, encrypted);
        if (::write(fd, frame.constData(), size_t(frame.size())) != frame.size() ||
            !readReply(fd)) {
            failed += messages - n;
            break;
        }
        ++answered;
    }
    ::close(fd);
}

void run(bool encrypted, int connections, int messages) {
    Receiver receiver(connections);
    const quint16 port = receiver.server.serverPort();
    std::atomic<int> answered{0};
    std::atomic<int> failed{0};
    QElapsedTimer timer;
    timer.start();
    std::vector<std::thread> panels;
    for (int c = 0; c < connections; ++c)
        panels.emplace_back(panel, port, c, messages, encrypted, std::ref(answered),
                            std::ref(failed));
    const int total = connections * messages;
    while (answered + failed < total)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    for (std::thread &thread : panels)
        thread.join();
    while (receiver.engine.pendingMessages().size() < answered)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::printf("%-9s %3d connection(s): %7.0f acknowledgements/s (%d answered, %d failed, %llu "
                "disk flushes)\n",
                encrypted ? "AES-256" : "clear", connections, answered / seconds, answered.load(),
                failed.load(), static_cast<unsigned long long>(receiver.journal.flushCount()));
    receiver.server.deactivate();
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    const int perConnection = argc > 1 ? std::max(1, atoi(argv[1])) : 100;
    for (const bool encrypted : {false, true}) {
        run(encrypted, 1, 1000);
        run(encrypted, 100, perConnection);
    }
    return 0;
}
