#pragma once

#include "queueops.h"

#include <QByteArray>
#include <QString>

class QFileDevice;

// The journal's file work that needs no journal: the name of a damaged journal's copy, a
// directory flush, and the file image of the queues.
namespace journalfiles {

QString damagedCopyName(const QString &path);
// The new name of a renamed file is only durable once its directory is; false when the
// directory cannot be flushed.
bool syncDirectory(const QString &path);
// A journal file holding the queues as one addition record each.
QByteArray snapshot(const QueueState &state);
// The largest file this process may write (its file-size limit); the largest qint64 without one.
qint64 fileSizeLimit();
// Writes the bytes whole; the system's reason when it could not ("File too large", "No space
// left on device"), empty when written.
QString writeAll(QFileDevice &file, const QByteArray &bytes);

} // namespace journalfiles
