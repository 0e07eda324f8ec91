#include "fuzzentries.h"
#include "fuzzinput.h"

#include "accounts/accountnumbers.h"
#include "accounts/accounttable.h"
#include "accounts/pollsupervision.h"
#include "common/logbook.h"
#include "ipserver/dc09exchange.h"
#include "ipserver/dc09keys.h"
#include "ipserver/dc09services.h"
#include "ipserver/panelcycle.h"
#include "ipserver/receiverhandover.h"
#include "ipserver/receiveroutput.h"
#include "ipserver/repeatedmessages.h"
#include "protocol/dc09frame.h"
#include "protocol/ipinput.h"
#include "protocol/messageaccount.h"

#include <QFile>
#include <QTemporaryDir>
#include <utility>

namespace {

class NoReports : public PollReportSink {
public:
    void pollReport(const PollReport &) override {}
};

// The receiver's services once per run: accounts 5801 (bound to another address) and 1234, a key
// for 1234 and for 12BC, logs off.
struct Receiver {
    QTemporaryDir directory;
    AccountTable accounts;
    NoReports reports;
    PollSupervision polls{accounts, reports, [] { return 1; }};
    LogBook logs{directory.path()};
    Dc09Keys keys{directory.filePath(Dc09Keys::fileName)};

    Receiver() {
        AccountRecord bound;
        bound.accNum = 5801;
        bound.pollDelay = 10;
        bound.optionBits = AccountRecord::MatchNuaIp;
        bound.nuaIp = "10.0.0.9";
        accounts.InsertAcc(bound);
        AccountRecord keyed;
        keyed.accNum = 1234;
        keyed.pollDelay = 10;
        accounts.InsertAcc(keyed);
        QFile file(keys.filePath());
        if (file.open(QIODevice::WriteOnly))
            file.write("1234 0123456789ABCDEF0123456789ABCDEF\n12BC text:AAAAAAAAAAAAAAAA\n");
        file.close();
        keys.load();
        logs.setSaveEnabled(false);
    }
};

Receiver &receiver() {
    static Receiver shared;
    return shared;
}

// A reply is the acknowledgement, alone or after a poll's elements, or one whole DC-09 frame.
void checkReply(const QByteArray &reply) {
    if (!reply.startsWith('\n')) {
        FUZZ_CHECK(reply.endsWith(ipinput::acknowledgement));
        return;
    }
    const dc09::FrameScan scan = dc09::scanFrame(reply);
    QByteArray rejection;
    FUZZ_CHECK(scan.status == dc09::FrameScan::Status::Whole && scan.consumed == reply.size());
    FUZZ_CHECK(dc09::checkedBody(scan.frame, rejection).has_value());
}

// The account a queued text names, if any, as the lines it becomes carry it.
std::optional<quint32> namedAccount(const QByteArray &message) {
    const MessageAccount account = messageAccount(message);
    FUZZ_CHECK(!account.refused());
    return account.named() ? std::optional(account.number) : std::nullopt;
}

// A text queued under an account was checked against that account: the look-up of the read
// that queued it was made for the same number.
void checkLookedUp(const QByteArray &message, const QStringList &lookedUp) {
    const std::optional<quint32> account = namedAccount(message);
    if (account)
        FUZZ_CHECK(lookedUp.contains(QString::fromLatin1(AccNumString(*account))));
}

// What a panel's connection does with its reads: a read that starts with LF starts DC-09 frames,
// which may span reads; anything else is one bare-IP text. Every text queued is checked as it is
// handed over: 5801 is bound to another address and 1234 has a key, so no bare-IP text names
// either, and no frame names 5801.
struct Connection {
    PanelCycle &cycle;
    Dc09Exchange &exchange;
    ReceiverHandOver &handOver;
    QByteArrayList &queued;
    QStringList &lookedUp;
    QByteArray tail;

    void bareIp(const QByteArray &text) {
        lookedUp.clear();
        cycle.handle(text);
        for (const QByteArray &message : handedOver()) {
            const std::optional<quint32> account = namedAccount(message);
            FUZZ_CHECK(account != 5801u && account != 1234u);
            checkLookedUp(message, lookedUp);
        }
    }
    void frames(const QByteArray &bytes, bool datagram) {
        lookedUp.clear();
        const Dc09Exchange::Outcome outcome = exchange.handle(bytes, datagram);
        for (const QByteArray &message : handedOver()) {
            FUZZ_CHECK(namedAccount(message) != 5801u);
            checkLookedUp(message, lookedUp);
        }
        consumed = outcome.receipt.kind == dc09::Receipt::Kind::Incomplete
                       ? 0
                       : std::max<qsizetype>(outcome.receipt.consumed, 1);
    }
    QByteArrayList handedOver() {
        handOver.deliverNow();
        return std::exchange(queued, QByteArrayList());
    }
    void take(const QByteArray &read) {
        if (tail.isEmpty() && !read.startsWith('\n'))
            return bareIp(read);
        tail += read;
        while (!tail.isEmpty()) {
            if (!tail.startsWith('\n'))
                return bareIp(std::exchange(tail, QByteArray()));
            frames(tail, false);
            if (consumed == 0)
                return;
            tail.remove(0, consumed);
        }
    }

    qsizetype consumed = 0;
};

} // namespace

namespace fuzzentries {

// A mode byte, then reads parted by 0xFF: from one TCP connection in turn (even mode) or as
// datagrams (odd), through the receiver's rules with their replies. Every reply is whole, nothing
// is queued that a keyed or bound account must refuse, and no datagram is answered with more
// than it held.
void panelExchange(const QByteArray &input) {
    Receiver &shared = receiver();
    RepeatedMessages repeated;
    const Dc09Services dc09{&shared.keys, &repeated, {}, nullptr};
    ReceiverOutput output;
    ReceiverHandOver handOver(output);
    QByteArrayList queued;
    QObject::connect(
        &output, &ReceiverOutput::messageQueued,
        [&queued](const QByteArray &, const QByteArray &message) { queued.append(message); });
    QStringList lookedUp;
    const QMetaObject::Connection looking =
        QObject::connect(&shared.accounts, &AccountTable::lookedUp,
                         [&lookedUp](const QString &account) { lookedUp.append(account); });
    const ReceiverServices services{shared.accounts, shared.polls, shared.logs, handOver,
                                    nullptr,         &dc09,        {}};
    FuzzInput in(input);
    const bool datagrams = (in.byte() & 1) != 0;
    QByteArray answered;
    const auto send = [&answered](const QByteArray &reply) {
        checkReply(reply);
        answered += reply;
        return true;
    };
    PanelCycle cycle(services, "127.0.0.1", PanelCycle::Link{send, [] { return true; }});
    Dc09Exchange exchange(services, "127.0.0.1", send);
    Connection connection{cycle, exchange, handOver, queued, lookedUp, {}};
    for (const QByteArray &read : in.texts('\xFF')) {
        answered.clear();
        if (datagrams)
            connection.frames(read, true);
        else
            connection.take(read.left(ipinput::readSize));
        FUZZ_CHECK(!datagrams || answered.size() <= read.size());
    }
    QObject::disconnect(looking);
}

} // namespace fuzzentries
