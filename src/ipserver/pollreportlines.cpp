#include "pollreportlines.h"

#include "accounts/accountnumbers.h"
#include "common/logbook.h"
#include "events/txqueue.h"
#include "protocol/automationlines.h"
#include "settings/settings.h"

PollReportLines::PollReportLines(const Settings &settings, TxQueue &txQueue, LogBook &logs)
    : m_settings(settings)
    , m_txQueue(txQueue)
    , m_logs(logs) {}

void PollReportLines::pollReport(const PollReport &report) {
    const QByteArray text = line(report);
    m_txQueue.append(text);
    m_logs.appendStamped(LogBook::TxLog, text);
}

QByteArray PollReportLines::line(const PollReport &report) const {
    const auto setting = [this](SettingKey key) { return m_settings.text(key).toLatin1(); };
    const LinePrefix prefix{setting(SettingKey::RxNum), setting(SettingKey::RxLine)};
    const QByteArray acc4 = AccountToStg(report.accNum);
    const QByteArray pollCode = setting(SettingKey::PollingCode);
    if (report.kind == PollReport::Kind::Failure)
        return pollFailureLine(acc4, prefix, report.reportAsSia, pollCode,
                               setting(SettingKey::PollFailCodeSia));
    return pollRestoreLine(acc4, prefix, report.reportAsSia, pollCode,
                           setting(SettingKey::PollRestCodeSia));
}
