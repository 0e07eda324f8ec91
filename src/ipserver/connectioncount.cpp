#include "connectioncount.h"

#include "receiverhandover.h"

bool ConnectionCount::tryAdd(int limit) {
    int count = m_count.load();
    do {
        if (count >= limit)
            return false;
    } while (!m_count.compare_exchange_weak(count, count + 1));
    return true;
}

void ConnectionCount::announce() {
    m_output.connectionCountChanged();
}

void ConnectionCount::remove() {
    --m_count;
    m_output.connectionCountChanged();
}
