#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <deque>

// The DC-09 messages queued in the last minutes, so that a panel's repeat of one (it missed our
// acknowledgement) is acknowledged again but not queued twice. Safe from any thread; holds at
// most `capacity` messages, the oldest going first.
class RepeatedMessages {
public:
    static constexpr qint64 defaultWindowMs = 5 * 60 * 1000;
    static constexpr qsizetype defaultCapacity = 100000;

    explicit RepeatedMessages(qint64 windowMs = defaultWindowMs,
                              qsizetype capacity = defaultCapacity);

    // True when `key` was claimed less than the window ago: a repeat. Otherwise claims it for
    // this moment (`nowMs` on a steady clock) and returns false.
    bool repeatOrClaim(const QByteArray &key, qint64 nowMs);
    // Gives back a claim whose message could not be stored: its next sending is no repeat.
    void release(const QByteArray &key);

    qsizetype size() const;

private:
    struct Claim {
        qint64 at;
        quint64 serial; // tells a claim from a later one of the same key
        QByteArray key;
    };

    void forgetOldLocked(qint64 nowMs);
    void dropOldestLocked();

    qint64 m_windowMs;
    qsizetype m_capacity;
    mutable QMutex m_mutex;
    QHash<QByteArray, quint64> m_claimed; // key to the serial of its standing claim
    std::deque<Claim> m_order;            // claims in time order, released ones too
    quint64 m_nextSerial = 0;
};
