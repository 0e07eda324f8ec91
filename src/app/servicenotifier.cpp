#include "servicenotifier.h"

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

qint64 watchdogPingIntervalMs(const QByteArray &usec, const QByteArray &pid, qint64 ownPid) {
    bool ok = false;
    const qint64 timeoutUs = usec.toLongLong(&ok);
    if (!ok || timeoutUs <= 0)
        return 0;
    if (!pid.isEmpty() && pid.toLongLong() != ownPid)
        return 0; // meant for the process that started this one
    return std::max<qint64>(timeoutUs / 2000, 1);
}

ServiceNotifier::ServiceNotifier() {
    const QByteArray path = qgetenv("NOTIFY_SOCKET");
    sockaddr_un address{};
    if (path.isEmpty() || std::size_t(path.size()) >= sizeof address.sun_path)
        return;
    if (path[0] != '/' && path[0] != '@')
        return;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    if (path[0] == '@')
        address.sun_path[0] = '\0'; // the abstract namespace
    const auto length = offsetof(sockaddr_un, sun_path) + std::size_t(path.size());
    m_address = QByteArray(reinterpret_cast<const char *>(&address), qsizetype(length));
    m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    m_pingIntervalMs =
        ::watchdogPingIntervalMs(qgetenv("WATCHDOG_USEC"), qgetenv("WATCHDOG_PID"), ::getpid());
}

ServiceNotifier::~ServiceNotifier() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ServiceNotifier::notify(const QByteArray &lines) {
    if (m_fd < 0)
        return false;
    const ssize_t sent = ::sendto(m_fd, lines.constData(), std::size_t(lines.size()), MSG_NOSIGNAL,
                                  reinterpret_cast<const sockaddr *>(m_address.constData()),
                                  socklen_t(m_address.size()));
    return sent == lines.size();
}
