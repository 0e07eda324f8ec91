#pragma once

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <deque>
#include <map>
#include <optional>

// The DC-09 messages queued in the last minutes, so that a panel's repeat of one (it missed our
// acknowledgement) or a replay of a captured frame is acknowledged again but not queued twice.
// A message is known by one or more keys; any of them standing makes it a repeat. Claims leave
// by age; those that anyone can make (clear messages) also by count, the oldest first, so that
// a flood of them cannot take memory without end, while an encrypted message is remembered for
// its whole window. The claims whose messages are on the disk are kept in a file too, so that a
// restart forgets none of them. Safe from any thread.
class RepeatedMessages {
public:
    static constexpr qint64 defaultWindowMs = 5 * 60 * 1000;
    static constexpr qsizetype defaultCapacity = 100000;
    static inline const QString fileName = QStringLiteral("Voduro_Repeats.dat");

    explicit RepeatedMessages(qint64 windowMs = defaultWindowMs,
                              qsizetype capacity = defaultCapacity);

    struct Seen {
        bool repeat = false; // false: claimed now (`claim`), for this sending to store
        quint64 claim = 0;
        // A repeat: the journal ticket of the first copy once it is written (0: no journal);
        // none while it is still being written.
        std::optional<quint64> ticket;
    };

    // A repeat when one of `keys` was claimed less than the window ago (`nowMs` on a steady
    // clock); otherwise a new claim of all of them. `capped` claims also leave by count.
    Seen repeatOrClaim(const QList<QByteArray> &keys, qint64 nowMs, bool capped);
    // The claim's message is written to the journal under `ticket`.
    void written(quint64 claim, quint64 ticket);
    // The claim's message is on the disk: the claim is kept across a restart.
    void settle(quint64 claim);
    // Gives back a claim whose message could not be stored: its next sending is no repeat.
    void release(quint64 claim);

    // Reads the claims kept at `path` that are still within the window and keeps the settled
    // ones there from now on. Returns why the file cannot be used, empty when it can.
    QString open(const QString &path, qint64 nowMs);

    qsizetype size() const;

private:
    struct Claim {
        qint64 at;     // steady clock
        qint64 wallMs; // the wall clock, for the file
        QList<QByteArray> digests;
        std::optional<quint64> ticket;
        bool capped;
        bool settled = false;
    };

    void forgetOldLocked(qint64 nowMs);
    void dropLocked(quint64 serial);
    void dropOldestCappedLocked();
    quint64 insertLocked(Claim claim);
    void keepLocked(const Claim &claim);
    void rewriteLocked();

    qint64 m_windowMs;
    qsizetype m_capacity;
    mutable QMutex m_mutex;
    std::map<quint64, Claim> m_claims;  // by serial, which is their time order
    QHash<QByteArray, quint64> m_index; // a key's digest to the serial of its standing claim
    std::deque<quint64> m_cappedOrder;  // the serials of capped claims, dropped ones too
    qsizetype m_capped = 0;             // capped claims standing
    quint64 m_nextSerial = 0;
    QFile m_file;
    qsizetype m_fileLines = 0;
};
