#pragma once

#include <QAbstractEventDispatcher>

// The event dispatcher of a connection thread, which runs no event loop: its socket is served by
// blocking waits alone. The system's dispatcher would hold a wake-up descriptor per thread,
// doubling the descriptors a connection costs, and would end the whole process when none is left
// for a new thread. This one holds nothing and ignores what is registered with it.
class NoEventLoopDispatcher : public QAbstractEventDispatcher {
    Q_OBJECT
public:
    using QAbstractEventDispatcher::QAbstractEventDispatcher;

    bool processEvents(QEventLoop::ProcessEventsFlags) override { return false; }
    void registerSocketNotifier(QSocketNotifier *) override {}
    void unregisterSocketNotifier(QSocketNotifier *) override {}
    void registerTimer(int, qint64, Qt::TimerType, QObject *) override {}
    bool unregisterTimer(int) override { return true; }
    bool unregisterTimers(QObject *) override { return true; }
    QList<TimerInfo> registeredTimers(QObject *) const override { return {}; }
    int remainingTime(int) override { return -1; }
    void wakeUp() override {}
    void interrupt() override {}
};
