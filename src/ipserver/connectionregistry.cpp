#include "connectionregistry.h"

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

void shutDownSocket(qintptr descriptor) {
#ifdef Q_OS_WIN
    ::shutdown(SOCKET(descriptor), SD_BOTH);
#else
    ::shutdown(int(descriptor), SHUT_RDWR);
#endif
}

} // namespace

bool ConnectionRegistry::enter(qintptr descriptor) {
    QMutexLocker lock(&m_mutex);
    if (m_stopping)
        return false;
    m_descriptors.insert(descriptor);
    return true;
}

void ConnectionRegistry::leave(qintptr descriptor) {
    QMutexLocker lock(&m_mutex);
    m_descriptors.erase(descriptor);
}

bool ConnectionRegistry::stopping() const {
    QMutexLocker lock(&m_mutex);
    return m_stopping;
}

void ConnectionRegistry::stopAll() {
    QMutexLocker lock(&m_mutex);
    m_stopping = true;
    for (qintptr descriptor : m_descriptors)
        shutDownSocket(descriptor);
}

void ConnectionRegistry::reopen() {
    QMutexLocker lock(&m_mutex);
    m_stopping = false;
}

void ConnectionRegistry::closeUnused(qintptr descriptor) {
#ifdef Q_OS_WIN
    ::closesocket(SOCKET(descriptor));
#else
    ::close(int(descriptor));
#endif
}
