#include "pollsupervision.h"

#include "accounttable.h"
#include "common/datetimetext.h"
#include "polltimer.h"

#include <vector>

namespace {

constexpr char armedBit = 0x08;

bool reportsAsSia(const AccountRecord &record) {
    return (record.optionBits & AccountRecord::ReportFaultAsSia) != 0;
}

quint16 chosenDelay(const AccountRecord &record, char status) {
    return (status & armedBit) ? record.armPollDelay : record.pollDelay;
}

} // namespace

PollSupervision::PollSupervision(AccountTable &accounts, PollReportSink &reports,
                                 std::function<int()> allowance)
    : m_accounts(accounts)
    , m_reports(reports)
    , m_allowance(std::move(allowance)) {}

void PollSupervision::minuteTick() {
    // Reports are made after the table is released: queuing and logging take locks of their own.
    // A poll that would end one of these failures waits until it is reported.
    QMutexLocker order(&m_reportOrder);
    std::vector<PollReport> failures;
    m_accounts.updateEach([&failures](AccountRecord &record) {
        if (record.pollTimer == 0)
            return false;
        if (--record.pollTimer == 0) {
            record.pollFailed = 1;
            failures.push_back({PollReport::Kind::Failure, record.accNum, reportsAsSia(record)});
        }
        return true;
    });
    for (const PollReport &failure : failures)
        m_reports.pollReport(failure);
}

std::optional<QByteArray> PollSupervision::PollReceived(quint32 accNum, char status,
                                                        const QByteArray &source) {
    const int allowance = m_allowance ? m_allowance() : 1;
    QByteArray reply;
    std::optional<PollReport> restore;
    QMutexLocker order(&m_reportOrder);
    const bool found = m_accounts.update(accNum, [&](AccountRecord &record) {
        record.lastNuaIp = source.left(AccountRecord::lastNuaIpMaxLength);
        reply = pollReply(record, status);
        record.pollTimer = pollTimerReload(chosenDelay(record, status), allowance);
        if (record.pollFailed == 1) {
            record.pollFailed = 0;
            restore = PollReport{PollReport::Kind::Restore, record.accNum, reportsAsSia(record)};
        }
    });
    if (!found)
        return std::nullopt;
    if (restore)
        m_reports.pollReport(*restore);
    return reply;
}

QByteArray pollReply(const AccountRecord &record, char status) {
    QByteArray reply;
    if (record.optionBits & AccountRecord::SyncClock)
        reply += clockReply();
    return reply + delayReply(chosenDelay(record, status));
}

QByteArray clockReply() {
    const QDateTime now = Clock::now();
    const QTime time = now.time();
    const QDate date = now.date();
    QByteArray reply = QByteArrayLiteral("[T]");
    for (int value :
         {time.hour(), time.minute(), time.second(), date.day(), date.month(), date.year() % 100})
        reply += char(quint8(value));
    return reply;
}

QByteArray delayReply(quint16 delay) {
    QByteArray reply = QByteArrayLiteral("[P]");
    reply += char(quint8(delay >> 8));
    reply += char(quint8(delay & 0xFF));
    return reply;
}
