#include "connectioncount.h"

#include "receiverhandover.h"

#include "common/receivertrouble.h"

bool ConnectionCount::tryAdd(int limit) {
    m_limit.store(limit);
    int count = m_count.load();
    do {
        if (count >= limit) {
            sayLimit();
            return false;
        }
    } while (!m_count.compare_exchange_weak(count, count + 1));
    if (count + 1 >= limit)
        sayLimit();
    return true;
}

void ConnectionCount::announce() {
    m_output.connectionCountChanged();
}

void ConnectionCount::remove() {
    const int count = --m_count;
    if (count + 1 >= m_limit.load() || m_saidReached.load())
        sayLimit();
    m_output.connectionCountChanged();
}

// Said from the count as it stands once the lock is held: of two threads that change it at
// once, the later one says the state both changes left.
void ConnectionCount::sayLimit() {
    if (!m_troubles)
        return;
    QMutexLocker lock(&m_sayMutex);
    const bool reached = m_count.load() >= m_limit.load();
    if (m_saidReached.exchange(reached) != reached)
        m_troubles->troubleState(ReceiverTrouble::ConnectionLimitReached, reached);
}
