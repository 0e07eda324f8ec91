#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a call on the event loop, so a service manager's stop runs the
// ordinary shutdown instead of killing the program in the middle of a write.
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

signals:
    void terminationRequested();

private:
    QSocketNotifier *m_notifier = nullptr;
};
