#include "notedaccounts.h"

bool NotedAccounts::first(const QByteArray &account) {
    QMutexLocker locker(&m_mutex);
    if (m_noted.contains(account))
        return false;
    if (m_noted.size() >= m_capacity)
        m_noted.clear();
    m_noted.insert(account);
    return true;
}
