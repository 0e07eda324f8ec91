#pragma once

#include <QByteArray>
#include <QMutex>
#include <functional>
#include <optional>

class AccountTable;
struct AccountRecord;

// A poll failure or restore to report to the automation software.
struct PollReport {
    enum class Kind { Failure, Restore };
    Kind kind = Kind::Failure;
    quint32 accNum = 0;
    bool reportAsSia = false; // the account's "Report fault as SIA" option

    bool operator==(const PollReport &) const = default;
};

// Where the reports go: the program composes the line, queues it on "Tx Pending" and logs it.
// Called without any account lock held, from the thread that found the change (the minute tick
// on the user-interface thread, a poll on a connection thread).
class PollReportSink {
public:
    virtual ~PollReportSink() = default;
    virtual void pollReport(const PollReport &report) = 0;
};

// Poll supervision: every supervised account's countdown in minutes, reloaded by the panel's
// polls and counted down by the minute tick; a countdown reaching 0 reports a failure, and the
// next poll a restore. Every change to a record goes through the account table under its lock,
// so a tick, a poll and an account file save never see or store a half-changed record. A change
// and its report are made as one step: a restore is never reported before the failure it ends,
// on the queue or on the disk.
class PollSupervision {
public:
    // `allowance` gives the current missed-poll allowance; it is called from any thread.
    PollSupervision(AccountTable &accounts, PollReportSink &reports,
                    std::function<int()> allowance);

    // One minute: every running timer goes down by 1; each that reaches 0 reports a failure.
    void minuteTick();

    // A poll from a panel whose account the receiver found: records where it came from, reloads
    // its timer from the delay its status byte asks for (the armed delay when the byte has the
    // value 8), reports a restore after a failure, and returns what the panel gets before the
    // acknowledgement: "[T]" and the time when the account synchronises its clock, then "[P]"
    // and the delay. nullopt when the account is no longer in the table.
    std::optional<QByteArray> PollReceived(quint32 accNum, char status, const QByteArray &source);

private:
    AccountTable &m_accounts;
    PollReportSink &m_reports;
    std::function<int()> m_allowance;
    QMutex m_reportOrder; // held from a record's change to the end of its report
};

// What a poll of the account gets before the acknowledgement, as PollReceived() answers it, with
// nothing changed: for a poll that is answered but not counted.
QByteArray pollReply(const AccountRecord &record, char status);

// "[T]" and the current local time as six binary bytes: hour, minute, second, day, month and
// year of the century.
QByteArray clockReply();
// "[P]" and the delay, high byte first.
QByteArray delayReply(quint16 delay);
