#pragma once

#include <QMutex>
#include <QString>

// Process-wide locks known by name ("CSemaphore", "FSemaphore", "LogSemaphore"). They live in
// this process only: a system-wide semaphore would outlive a crash and collide between tests.
class NamedLocks {
public:
    static inline const QString ConnectionCount = QStringLiteral("CSemaphore");
    static inline const QString Accounts = QStringLiteral("FSemaphore");
    static inline const QString Logs = QStringLiteral("LogSemaphore");

    // Creates the lock on first use; the same name always gives the same mutex.
    static QMutex &lock(const QString &name);
    static void createStandardLocks();
};

// Holds a named lock for its scope, so every path releases it.
class NamedLockGuard {
public:
    explicit NamedLockGuard(const QString &name)
        : m_locker(&NamedLocks::lock(name)) {}

private:
    QMutexLocker<QMutex> m_locker;
};
