#pragma once

#include <QString>

class PendingMessageModel;
class QLockFile;
class QueueJournal;
class TxQueue;

// One monitor per working directory: the journal and the logs have one writer. Takes the lock
// (a lock left by a monitor that was killed is taken over); false with the reason otherwise.
// `tookOverStale` tells whether a lock was left: the run before did not end cleanly.
bool lockWorkingDirectory(QLockFile &lock, QString &reason, bool *tookOverStale = nullptr);
QString workingDirectoryLockPath();

// Opens the queue journal of the working directory and puts what it holds back into the two
// queues, in their order, before any line is started. Returns what the operator must be told
// about the journal (damage cut out or skipped, a journal that cannot be written); empty when
// all is well.
QString restoreQueues(QueueJournal &journal, PendingMessageModel &pending, TxQueue &txQueue);
