#pragma once

#include <QAbstractEventDispatcher>

// The Qt event dispatcher of an I/O thread, which runs its own event loop instead: Qt's would
// hold a wake-up descriptor the thread never uses, and, created as the thread starts, would end
// the whole process if no descriptor were left at that moment. This one holds nothing and
// ignores what is registered with it.
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
