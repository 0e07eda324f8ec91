#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <utility>

// Runs `work` on the thread that owns `owner`: at once when called there, otherwise posted to
// that thread's event queue. Posted events are delivered in the order they were posted, so work
// from another thread keeps its order; a blocking call could deadlock against a stop that waits
// for the calling thread.
template <typename Work> void runOnOwnerThread(QObject *owner, Work &&work) {
    if (QThread::currentThread() == owner->thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(owner, std::forward<Work>(work), Qt::QueuedConnection);
}
