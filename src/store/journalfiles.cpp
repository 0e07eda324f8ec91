#include "journalfiles.h"

#include "journalformat.h"

#include <QDateTime>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include <limits>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace journalfiles {

QString damagedCopyName(const QString &path) {
    return path + QStringLiteral(".damaged-") +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
}

// A file system that cannot flush a directory says so with EINVAL: its renames need no flush.
bool syncDirectory([[maybe_unused]] const QString &path) {
#ifndef Q_OS_WIN
    const QByteArray directory = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(directory.constData(), O_RDONLY);
    if (fd < 0)
        return true;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return synced;
#else
    return true;
#endif
}

QByteArray snapshot(const QueueState &state) {
    QByteArray bytes = journalformat::fileHeader();
    for (const auto &[id, item] : state.pending) {
        const QueueOp op{QueueOp::Kind::AddPending, id, item.source, item.message};
        bytes += journalformat::encodeRecord(encodeOps({op}));
    }
    for (const auto &[id, line] : state.tx) {
        const QueueOp op{QueueOp::Kind::AddTx, id, QByteArray(), line};
        bytes += journalformat::encodeRecord(encodeOps({op}));
    }
    return bytes;
}

qint64 fileSizeLimit() {
#ifndef Q_OS_WIN
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        limit.rlim_cur < rlim_t(std::numeric_limits<qint64>::max()))
        return qint64(limit.rlim_cur);
#endif
    return std::numeric_limits<qint64>::max();
}

// Qt's own text for a failed unbuffered write is often "Unknown error": the system's is the one
// an operator can act on.
QString writeAll(QFileDevice &file, const QByteArray &bytes) {
    errno = 0;
    if (file.write(bytes) == bytes.size())
        return {};
    const int error = errno;
    return error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : file.errorString();
}

} // namespace journalfiles
