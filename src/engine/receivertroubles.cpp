#include "receivertroubles.h"

#include "receiveraccount.h"

#include "common/logbook.h"
#include "common/ownerthread.h"
#include "common/steadyclock.h"
#include "events/txqueue.h"
#include "metrics/figures.h"
#include "protocol/automationlines.h"
#include "settings/settings.h"

#include <utility>
#include <vector>

namespace {

struct TroubleEvent {
    const char *code; // from the Contact ID event table
    const char *zone;
};

// By ReceiverTrouble. A receiver line that is out is 330 "System Peripheral" with the line's
// number as its zone (Zorer-Uda 1 and 2, the IP network 3).
constexpr TroubleEvent troubleEvents[] = {
    {"330", "001"}, // Zorer-Uda 1 device lost
    {"330", "002"}, // Zorer-Uda 2 device lost
    {"300", "000"}, // "System Trouble": the queue journal cannot store
    {"307", "003"}, // "Self-test failure": the IP receiver restarted by the self-test
    {"330", "003"}, // the IP receiver's port cannot be opened
    {"626", "000"}, // "Time/Date inaccurate": the system clock is not synchronised
    {"350", "003"}, // "Communication Fault": the connection limit in effect is reached
};
static_assert(std::size(troubleEvents) == troubleCount);

constexpr const char *startUpCode = "305"; // "System Reset"
constexpr const char *group = "00";

} // namespace

std::optional<bool> TroubleHold::lineDue(qint64 nowMs) {
    if (open == said || (everSaid && nowMs - saidAtMs < holdOffMs))
        return std::nullopt;
    said = open;
    everSaid = true;
    saidAtMs = nowMs;
    return said;
}

ReceiverTroubles::ReceiverTroubles(const Settings &settings, TxQueue &txQueue, LogBook &logs,
                                   QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_txQueue(txQueue)
    , m_logs(logs)
    , m_clockMs(steadyNowMs) {}

QString ReceiverTroubles::troubleName(ReceiverTrouble trouble) {
    switch (trouble) {
    case ReceiverTrouble::ZorerUda1Lost:
        return QStringLiteral("Zorer-Uda 1 device lost");
    case ReceiverTrouble::ZorerUda2Lost:
        return QStringLiteral("Zorer-Uda 2 device lost");
    case ReceiverTrouble::JournalNotStoring:
        return QStringLiteral("queue journal cannot store: no panel is acknowledged");
    case ReceiverTrouble::IpRestarted:
        return QStringLiteral(
            "IP receiver restarted by the self-test, no self-test answered since");
    case ReceiverTrouble::IpPortNotOpened:
        return QStringLiteral("IP receiver port cannot be opened");
    case ReceiverTrouble::ClockUnsynchronised:
        return QStringLiteral("system clock not synchronised");
    case ReceiverTrouble::ConnectionLimitReached:
        return QStringLiteral("connection limit in effect reached: further panels are refused");
    case ReceiverTrouble::Count:
        break;
    }
    return {};
}

QByteArray ReceiverTroubles::line(const QByteArray &account, ReceiverTrouble trouble,
                                  bool restore) const {
    const TroubleEvent &event = troubleEvents[troubleIndex(trouble)];
    const LinePrefix prefix{m_settings.text(SettingKey::RxNum).toLatin1(),
                            m_settings.text(SettingKey::RxLine).toLatin1()};
    return contactIdEventLine(prefix, account, restore, event.code, group, event.zone);
}

QByteArray ReceiverTroubles::startUpLine(const QByteArray &account,
                                         bool previousRunEndedCleanly) const {
    const LinePrefix prefix{m_settings.text(SettingKey::RxNum).toLatin1(),
                            m_settings.text(SettingKey::RxLine).toLatin1()};
    return contactIdEventLine(prefix, account, false, startUpCode, group,
                              previousRunEndedCleanly ? "000" : "001");
}

void ReceiverTroubles::start(bool previousRunEndedCleanly) {
    m_started = true;
    const QByteArray account = receiverAccountText(m_settings);
    if (!account.isEmpty()) {
        queue(startUpLine(account, previousRunEndedCleanly));
        figures().troubleLineQueued(troubleCount, false);
    }
    sayDue();
}

void ReceiverTroubles::troubleState(ReceiverTrouble trouble, bool open) {
    QMutexLocker lock(&m_mutex);
    if (!setOpenLocked(trouble, open))
        return;
    lock.unlock();
    changed();
}

void ReceiverTroubles::journalStoring(bool storing, quint64 change) {
    QMutexLocker lock(&m_mutex);
    if (change <= m_journalChange)
        return;
    m_journalChange = change;
    if (!setOpenLocked(ReceiverTrouble::JournalNotStoring, !storing))
        return;
    lock.unlock();
    changed();
}

// The watchers' list is set under the lock, so that of two threads' changes the later one's
// list stands.
bool ReceiverTroubles::setOpenLocked(ReceiverTrouble trouble, bool open) {
    if (std::exchange(m_holds[troubleIndex(trouble)].open, open) == open)
        return false;
    figures().setOpenTroubles(openTroublesLocked());
    return true;
}

void ReceiverTroubles::changed() {
    runOnOwnerThread(this, [this] { sayDue(); });
}

// A line queued here may itself fail to be stored, and that failure is said here again: it is
// said once this pass is over, after the line that caused it.
void ReceiverTroubles::sayDue() {
    if (!m_started)
        return;
    if (m_saying) {
        m_sayAgain = true;
        return;
    }
    m_saying = true;
    do {
        m_sayAgain = false;
        const QByteArray account = receiverAccountText(m_settings);
        if (account.isEmpty())
            break;
        std::vector<std::pair<ReceiverTrouble, bool>> due;
        {
            QMutexLocker lock(&m_mutex);
            const qint64 now = m_clockMs();
            for (std::size_t i = 0; i < troubleCount; ++i) {
                if (const std::optional<bool> open = m_holds[i].lineDue(now))
                    due.emplace_back(ReceiverTrouble(i), *open);
            }
        }
        for (const auto &[trouble, open] : due) {
            queue(line(account, trouble, !open));
            figures().troubleLineQueued(troubleIndex(trouble), !open);
        }
    } while (m_sayAgain);
    m_saying = false;
}

void ReceiverTroubles::queue(const QByteArray &text) {
    // The line is listed and delivered even when the journal cannot store it: the trouble the
    // operators need to know of most is that one.
    m_txQueue.append(text);
    m_logs.appendStamped(LogBook::TxLog, text);
}

QStringList ReceiverTroubles::openTroubles() const {
    QMutexLocker lock(&m_mutex);
    return openTroublesLocked();
}

QStringList ReceiverTroubles::openTroublesLocked() const {
    QStringList open;
    for (std::size_t i = 0; i < troubleCount; ++i) {
        if (m_holds[i].open)
            open.append(troubleName(ReceiverTrouble(i)));
    }
    return open;
}
