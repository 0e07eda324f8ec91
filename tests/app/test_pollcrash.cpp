#include "accounts/accountrecord.h"
#include "support/automationreceiver.h"
#include "support/tempenvironment.h"

#include <QProcess>
#include <QTcpServer>
#include <QtTest>

#include <arpa/inet.h>
#include <atomic>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr quint32 polledAccount = 5801;
constexpr quint32 failedAccount = 7001;
const QByteArray restoreLine = "5041 187001R35001000";

QByteArray accountFile() {
    AccountRecord polled;
    polled.accNum = polledAccount;
    polled.pollDelay = 10;
    AccountRecord failed = polled;
    failed.accNum = failedAccount;
    failed.pollFailed = 1; // its next poll restores it
    return accountImage(polled) + accountImage(failed);
}

// A Contact ID burglary report of zone `zone` (1-99) from account 1234, with its check digit.
QByteArray report(int zone) {
    const QByteArray digits = "123418113001" + QByteArray::number(zone).rightJustified(3, '0');
    int sum = 0;
    for (char digit : digits)
        sum += digit == '0' ? 10 : digit - '0';
    const int check = (15 - sum % 15) % 15;
    return '2' + digits + (check == 0 ? 'F' : "0123456789ABCDE"[check]);
}

int connectedSocket(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    timeval wait{15, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    return fd;
}

// Sends `text` and reads the reply of `size` bytes; empty when it does not come whole.
QByteArray exchange(int fd, const QByteArray &text, qsizetype size) {
    if (::send(fd, text.constData(), size_t(text.size()), MSG_NOSIGNAL) != text.size())
        return {};
    QByteArray reply;
    char buffer[64];
    while (reply.size() < size) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return {};
        reply.append(buffer, got);
    }
    return reply;
}

// Fifty panels polling as fast as they are answered, until told to stop or the program dies.
class PollLoad {
public:
    explicit PollLoad(quint16 port) {
        m_thread = std::thread([this, port] {
            std::vector<int> fds;
            for (int i = 0; i < 50; ++i)
                fds.push_back(connectedSocket(port));
            const QByteArray poll = "POLL5801#A\r\n";
            while (!m_stop) {
                for (int fd : fds)
                    if (fd >= 0 && exchange(fd, poll, 8).size() == 8)
                        ++m_answered;
            }
            for (int fd : fds)
                ::close(fd);
        });
    }
    ~PollLoad() {
        m_stop = true;
        m_thread.join();
    }
    int answered() const { return m_answered; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_answered{0};
    std::thread m_thread;
};

} // namespace

// kill -9 while panels poll: every report that was acknowledged, and the restore line of a poll
// that was answered, reach the automation software after the restart.
class PollCrashTest : public QObject {
    Q_OBJECT

private slots:
    void killedUnderPollLoadKeepsAlarmsAndTheRestore() {
        TempEnvironment env;
        QFile accounts(env.filePath(QStringLiteral("Accounts.PDB")));
        QVERIFY(accounts.open(QIODevice::WriteOnly));
        accounts.write(accountFile());
        accounts.close();
        const quint16 port = unusedLoopbackPort();
        QVERIFY(port != 0);
        QVERIFY(env.writeSettings(
            "[Logic]\nTCP Open=1\n[Strings]\nTCP Port=" + QByteArray::number(port) + "\n"));
        const QStringList arguments{QStringLiteral("--headless"),
                                    QStringLiteral("--test-listen-address"),
                                    QStringLiteral("127.0.0.1")};
        QProcess program;
        env.prepareProgram(program);
        program.start(VODURO_BINARY, arguments);
        QVERIFY(program.waitForStarted(10000));
        int panel = -1;
        QVERIFY(QTest::qWaitFor([&] { return (panel = connectedSocket(port)) >= 0; }, 30000));

        QList<QByteArray> acknowledged;
        {
            PollLoad load(port);
            QTRY_VERIFY_WITH_TIMEOUT(load.answered() > 500, 30000);
            for (int zone = 1; zone <= 20; ++zone) {
                QCOMPARE(exchange(panel, report(zone), 3), QByteArray("\x06\r\n"));
                acknowledged << "5041 181234E13001" +
                                    QByteArray::number(zone).rightJustified(3, '0');
            }
            QCOMPARE(exchange(panel, "POLL7001#A\r\n", 8), QByteArray("[P]\0\x0A\x06\r\n", 8));
            ::kill(pid_t(program.processId()), SIGKILL);
            QVERIFY(program.waitForFinished(10000));
        }
        ::close(panel);

        AutomationReceiver receiver(AutomationReceiver::Reply::Ack);
        QVERIFY(env.writeSettings("[Integers]\nTx Num=9\n[Strings]\nTx IP Add=127.0.0.1\n"
                                  "Tx IP Port=" +
                                  QByteArray::number(receiver.port()) +
                                  "\nTX Timeout=1\nHeart Beat=0\n[Logic]\nTx Open=1\n"));
        QProcess restarted;
        env.prepareProgram(restarted);
        restarted.start(VODURO_BINARY, arguments);
        const auto delivered = [&receiver] {
            QList<QByteArray> lines = receiver.received().split('\x14');
            lines.removeLast();
            return lines;
        };
        QVERIFY(QTest::qWaitFor(
            [&] {
                const QList<QByteArray> lines = delivered();
                return lines.contains(restoreLine) &&
                       std::all_of(acknowledged.begin(), acknowledged.end(),
                                   [&](const QByteArray &line) { return lines.contains(line); });
            },
            60000));
        restarted.terminate();
        QVERIFY(restarted.waitForFinished(30000));
        QCOMPARE(delivered().count(restoreLine), 1);
    }
};

QTEST_GUILESS_MAIN(PollCrashTest)
#include "test_pollcrash.moc"
