#pragma once

#include "accounts/pollsupervision.h"

class LogBook;
class Settings;
class TxQueue;

// Poll failures and restores as automation lines: composed with the receiver number, line and
// report codes as they are set at that moment, added to the end of "Tx Pending" and written to
// "Tx_Log.TXT". Safe on any thread: the settings are read under their own lock, the queue takes
// additions from other threads in order, and the log append is serialised.
class PollReportLines : public PollReportSink {
public:
    PollReportLines(const Settings &settings, TxQueue &txQueue, LogBook &logs);

    void pollReport(const PollReport &report) override;
    QByteArray line(const PollReport &report) const;

private:
    const Settings &m_settings;
    TxQueue &m_txQueue;
    LogBook &m_logs;
};
