#pragma once

#include <QByteArray>
#include <QMutex>
#include <QSet>

// The accounts a log note has already named, so that a panel's standing habit (it sends no line
// number, say) is logged once per account rather than with every frame. Safe from any thread.
// Holds at most `capacity` accounts: frames with ever new account texts must not grow it without
// end, so a full set starts again, and a note may then be logged a second time.
class NotedAccounts {
public:
    static constexpr qsizetype defaultCapacity = 100000;

    explicit NotedAccounts(qsizetype capacity = defaultCapacity)
        : m_capacity(capacity) {}

    // True the first time `account` is named (after a start or a full set), false after that.
    bool first(const QByteArray &account);

private:
    qsizetype m_capacity;
    QMutex m_mutex;
    QSet<QByteArray> m_noted;
};
