#pragma once

#include "histogram.h"

#include "common/receivertrouble.h"
#include "common/steadyclock.h"

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <array>
#include <atomic>

// Where an accepted message came in.
enum class Input { Zorer1, Zorer2, Tcp, Udp, Count };
// Why the IP receiver did not acknowledge a frame or a text.
enum class Refusal {
    Crc,
    Length,
    Framing,
    UnknownId,
    NoKey,
    Undecryptable,
    ClearRefused,
    TimeWindow,
    Content,
    AccountNotNumber, // the account field holds what its form does not allow
    NotStored,
    // The account takes its reports from its own panel only (a DC-09 key, "Match NUA / IP"),
    // and this sender cannot prove it is that panel.
    ProtectedAccount,
    // "Known accounts only": the account is in neither the account table nor the key file.
    UnknownAccount,
    // The account is the receiver's own: only the monitor reports under it.
    ReceiverAccount,
    Count
};
enum class Reply { Ack, Nak, Duh, Count };
// Why a panel's connection was closed as soon as it was taken.
enum class ConnectionRefusal { Limit, Resources, Count };
// Values that are read off the running monitor rather than counted.
enum class Gauge {
    Connections,
    PendingMessages,
    TxPending,
    TxLinkFault,
    TxSecondaryActive,
    JournalBytes,
    Accounts,
    AccountsPollFailed,
    Line1Up,
    Line2Up,
    Line5Up,
    ConnectionLimitSetting,  // "Max Connections"
    ConnectionLimitInEffect, // what the receiver applies, the open-file limit considered
    Count
};

template <typename E> constexpr std::size_t figureIndex(E value) {
    return static_cast<std::size_t>(value);
}

// What /health says: healthy, or the reason it is not.
struct HealthVerdict {
    bool healthy = false;
    QString reason;
};

// The monitor's figures for the watchers outside (the metrics page, the status command): each
// is published where it arises, by a single call from whatever thread, without a lock for the
// counts, and read at any time from the thread that serves them, so a scrape never waits for
// the user-interface thread.
class Figures {
public:
    // A tick that has not run for this long means the monitor is stuck.
    static constexpr qint64 tickStalledNs = 5'000'000'000;

    void received(Input input) { add(m_received, input); }
    void refused(Refusal reason) { add(m_refused, reason); }
    void replied(Reply kind) { add(m_replies, kind); }
    void connectionOpened() { m_connectionsTotal.fetch_add(1, std::memory_order_relaxed); }
    void connectionRefused(ConnectionRefusal reason) { add(m_connectionsRefused, reason); }
    void lineDelivered() { m_linesDelivered.fetch_add(1, std::memory_order_relaxed); }
    void lineRetried() { m_retries.fetch_add(1, std::memory_order_relaxed); }
    void set(Gauge gauge, qint64 value) { m_gauges[figureIndex(gauge)].store(value); }

    quint64 receivedCount(Input input) const { return m_received[figureIndex(input)].load(); }
    quint64 refusedCount(Refusal reason) const { return m_refused[figureIndex(reason)].load(); }
    quint64 replyCount(Reply kind) const { return m_replies[figureIndex(kind)].load(); }
    quint64 connectionsTotal() const { return m_connectionsTotal.load(); }
    quint64 connectionsRefused(ConnectionRefusal reason) const {
        return m_connectionsRefused[figureIndex(reason)].load();
    }
    quint64 linesDelivered() const { return m_linesDelivered.load(); }
    quint64 retries() const { return m_retries.load(); }
    qint64 value(Gauge gauge) const { return m_gauges[figureIndex(gauge)].load(); }

    // From a panel's message being stored to the automation software's ACK of its line.
    Histogram alarmLatency{{0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10, 30, 60, 120, 300}};
    // One wait for the journal's data to reach the disk.
    Histogram journalFlush{
        {0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5}};

    // The health: the engine's tick marks each run; the journal says whether its last write
    // succeeded. Before the first tick the monitor is still starting.
    void tickRan(qint64 steadyNs) { m_lastTickNs.store(steadyNs); }
    void journalWritten(bool ok, const QString &error = QString());
    HealthVerdict health(qint64 steadyNowNs) const;

    // The monitor's own trouble lines queued, by event (a ReceiverTrouble's index, or
    // troubleCount for start-up) and qualifier.
    void troubleLineQueued(std::size_t event, bool restore) {
        m_troubleLines[event][restore ? 1 : 0].fetch_add(1, std::memory_order_relaxed);
    }
    quint64 troubleLines(std::size_t event, bool restore) const {
        return m_troubleLines[event][restore ? 1 : 0].load();
    }
    // The troubles open now, in words (the status command and /health list them).
    void setOpenTroubles(const QStringList &troubles);
    QStringList openTroubles() const;

    // The one-line summary the service manager and the status command show.
    void setStatusText(const QString &text);
    QString statusText() const;

private:
    template <typename E> using Counters = std::array<std::atomic<quint64>, figureIndex(E::Count)>;
    template <typename E> static void add(Counters<E> &counters, E which) {
        counters[figureIndex(which)].fetch_add(1, std::memory_order_relaxed);
    }

    Counters<Input> m_received{};
    Counters<Refusal> m_refused{};
    Counters<Reply> m_replies{};
    Counters<ConnectionRefusal> m_connectionsRefused{};
    std::atomic<quint64> m_connectionsTotal{0};
    std::atomic<quint64> m_linesDelivered{0};
    std::atomic<quint64> m_retries{0};
    std::array<std::atomic<qint64>, figureIndex(Gauge::Count)> m_gauges{};
    std::atomic<qint64> m_lastTickNs{-1};
    std::atomic<bool> m_journalOk{true};
    std::array<std::array<std::atomic<quint64>, 2>, troubleCount + 1> m_troubleLines{};
    mutable QMutex m_textMutex;
    QStringList m_openTroubles;
    QString m_journalError;
    QString m_statusText;
};

// The figures of this process.
Figures &figures();

// Times a piece of work and puts its duration into a histogram when it ends.
class TimedObservation {
public:
    explicit TimedObservation(Histogram &histogram)
        : m_histogram(histogram)
        , m_startNs(steadyNowNs()) {}
    ~TimedObservation() { m_histogram.observeNs(steadyNowNs() - m_startNs); }
    TimedObservation(const TimedObservation &) = delete;
    TimedObservation &operator=(const TimedObservation &) = delete;

private:
    Histogram &m_histogram;
    qint64 m_startNs;
};

// The refusal reason of a DC-09 frame, from the rejection the frame rules give; `answered` when
// the frame was answered (NAK or DUH) rather than dropped silently.
Refusal dc09Refusal(const QByteArray &rejection, bool answered);
