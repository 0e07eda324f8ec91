#include "connectioncount.h"

#include "receiveroutput.h"

#include "common/namedlocks.h"

void ConnectionCount::add(int delta) {
    NamedLockGuard guard(NamedLocks::ConnectionCount);
    m_count += delta;
    // Handed over under the lock, so the display ends on the latest count.
    emit m_output.threadCountChanged(QString::number(m_count));
}

QString ConnectionCount::text() const {
    NamedLockGuard guard(NamedLocks::ConnectionCount);
    return QString::number(m_count);
}
