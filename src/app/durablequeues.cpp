#include "durablequeues.h"

#include "events/pendingmessagemodel.h"
#include "events/txqueue.h"
#include "store/queuejournal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

QString workingDirectoryLockPath() {
    return QDir::current().filePath(QStringLiteral("Voduro.lock"));
}

bool lockWorkingDirectory(QLockFile &lock, QString &reason, bool *tookOverStale) {
    // Only a lock whose process is gone is stale, however old it is. A clean end removes the
    // file, so one found here and taken over was left by a run that crashed or was killed.
    lock.setStaleLockTime(0);
    const bool left = QFileInfo::exists(workingDirectoryLockPath());
    if (lock.tryLock(0)) {
        if (tookOverStale)
            *tookOverStale = left;
        return true;
    }
    qint64 pid = 0;
    QString host;
    QString application;
    lock.getLockInfo(&pid, &host, &application);
    reason = lock.error() == QLockFile::LockFailedError
                 ? QCoreApplication::translate("Voduro",
                                               "Another Voduro monitor (process %1) is running in "
                                               "%2; only one may use a working directory.")
                       .arg(pid)
                       .arg(QDir::currentPath())
                 : QCoreApplication::translate("Voduro", "Cannot create the lock file %1.")
                       .arg(workingDirectoryLockPath());
    return false;
}

namespace {

QString journalReport(const QueueJournal::OpenReport &report) {
    QStringList parts;
    if (!report.opened)
        parts << QCoreApplication::translate("Voduro",
                                             "Queue journal cannot be written (%1); messages "
                                             "are not acknowledged until it can")
                     .arg(report.error);
    if (report.skippedBytes > 0)
        parts << QCoreApplication::translate("Voduro",
                                             "Queue journal damaged: %1 bytes skipped, the "
                                             "records after them kept; damaged file kept as %2")
                     .arg(report.skippedBytes)
                     .arg(report.keptAs);
    if (report.cutBytes > 0)
        parts << QCoreApplication::translate("Voduro",
                                             "Queue journal ended in an unfinished record: %1 "
                                             "bytes cut")
                     .arg(report.cutBytes);
    return parts.join(QStringLiteral("; "));
}

} // namespace

QString restoreQueues(QueueJournal &journal, PendingMessageModel &pending, TxQueue &txQueue) {
    const QueueJournal::OpenReport report =
        journal.open(QDir::current().filePath(QueueJournal::fileName));
    for (const auto &[id, item] : journal.restored().pending)
        pending.append(item.source, item.message, id);
    for (const auto &[id, line] : journal.restored().tx)
        txQueue.appendRestored(id, line);
    return journalReport(report);
}
