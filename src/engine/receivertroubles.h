#pragma once

#include "common/receivertrouble.h"

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

class LogBook;
class Settings;
class TxQueue;

// The hold-off of one trouble's lines. The automation software is told a trouble's state at
// most once a minute; when a change comes sooner it is told once the minute is over, and then
// the state of that moment: a trouble that came and went meanwhile is not said at all, and a
// restore is never said while the trouble is open.
struct TroubleHold {
    static constexpr qint64 holdOffMs = 60'000;

    bool open = false;     // the state now
    bool said = false;     // the state last said (nothing said: no trouble)
    bool everSaid = false; // a line went out, at saidAtMs
    qint64 saidAtMs = 0;

    // The line due at `nowMs`: true a trouble, false its restore; none when nothing is due.
    std::optional<bool> lineDue(qint64 nowMs);
};

// The monitor's own trouble, said to the automation software as Contact ID lines under the
// receiver account ("Receiver Account"): queued in "Tx Pending", written to "Tx_Log.TXT" and
// counted. Troubles are said from any thread; the lines are queued on the owner thread, once
// start() has queued the start-up line. With no receiver account set no line is queued at all;
// the troubles are still followed, and an open one is said once the account is set.
class ReceiverTroubles : public QObject, public TroubleReports {
    Q_OBJECT
public:
    ReceiverTroubles(const Settings &settings, TxQueue &txQueue, LogBook &logs,
                     QObject *parent = nullptr);

    // Monotonic milliseconds of the hold-off; tests give their own.
    void setClock(std::function<qint64()> milliseconds) { m_clockMs = std::move(milliseconds); }

    // Start-up: the start-up event (its zone says whether the run before ended cleanly), then
    // whatever trouble is open already.
    void start(bool previousRunEndedCleanly);
    void troubleState(ReceiverTrouble trouble, bool open) override;
    // The journal's state, said after its lock is let go: the signals of two threads may come
    // in either order, and only the latest `change` counts.
    void journalStoring(bool storing, quint64 change);
    // Queues the lines whose hold-off is over; the engine's tick calls it.
    void sayDue();

    // The troubles open now, in words, for the watchers outside.
    QStringList openTroubles() const;
    static QString troubleName(ReceiverTrouble trouble);
    // The line of a trouble, or of its restore, under `account`.
    QByteArray line(const QByteArray &account, ReceiverTrouble trouble, bool restore) const;
    QByteArray startUpLine(const QByteArray &account, bool previousRunEndedCleanly) const;

private:
    bool setOpenLocked(ReceiverTrouble trouble, bool open);
    QStringList openTroublesLocked() const;
    void changed();
    void queue(const QByteArray &line);

    const Settings &m_settings;
    TxQueue &m_txQueue;
    LogBook &m_logs;
    std::function<qint64()> m_clockMs;
    mutable QMutex m_mutex;
    std::array<TroubleHold, troubleCount> m_holds{};
    quint64 m_journalChange = 0;
    bool m_started = false; // owner thread only, as are the two below
    bool m_saying = false;
    bool m_sayAgain = false;
};
