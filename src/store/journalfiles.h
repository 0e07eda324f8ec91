#pragma once

#include "queueops.h"

#include <QByteArray>
#include <QString>

// The journal's file work that needs no journal: the name of a damaged journal's copy, a
// directory flush, and the file image of the queues.
namespace journalfiles {

QString damagedCopyName(const QString &path);
// The new name of a renamed file is only durable once its directory is; false when the
// directory cannot be flushed.
bool syncDirectory(const QString &path);
// A journal file holding the queues as one addition record each.
QByteArray snapshot(const QueueState &state);

} // namespace journalfiles
