#include "repeatedmessages.h"

RepeatedMessages::RepeatedMessages(qint64 windowMs, qsizetype capacity)
    : m_windowMs(windowMs)
    , m_capacity(capacity) {}

bool RepeatedMessages::repeatOrClaim(const QByteArray &key, qint64 nowMs) {
    QMutexLocker locker(&m_mutex);
    forgetOldLocked(nowMs);
    if (m_claimed.contains(key))
        return true;
    while (qsizetype(m_order.size()) >= m_capacity)
        dropOldestLocked();
    const quint64 serial = ++m_nextSerial;
    m_claimed.insert(key, serial);
    m_order.push_back({nowMs, serial, key});
    return false;
}

void RepeatedMessages::release(const QByteArray &key) {
    QMutexLocker locker(&m_mutex);
    // Its place in the time order goes with age or capacity, without touching a later claim.
    m_claimed.remove(key);
}

qsizetype RepeatedMessages::size() const {
    QMutexLocker locker(&m_mutex);
    return m_claimed.size();
}

void RepeatedMessages::forgetOldLocked(qint64 nowMs) {
    while (!m_order.empty() && nowMs - m_order.front().at >= m_windowMs)
        dropOldestLocked();
}

void RepeatedMessages::dropOldestLocked() {
    const Claim &oldest = m_order.front();
    const auto found = m_claimed.constFind(oldest.key);
    if (found != m_claimed.constEnd() && *found == oldest.serial)
        m_claimed.remove(oldest.key);
    m_order.pop_front();
}
