#pragma once

#include <QByteArray>
#include <QtGlobal>

// Tells the service manager how the monitor is doing, over the datagram socket it names in
// NOTIFY_SOCKET (a path, or "@" for the abstract namespace): readiness, status texts, watchdog
// pings and the start of the shutdown. Without NOTIFY_SOCKET (not started by the manager)
// nothing is sent. The protocol is a handful of "KEY=value" lines in one datagram: a library
// for it would be the only one the monitor needs beyond Qt.
class ServiceNotifier {
public:
    ServiceNotifier(); // reads the environment
    ~ServiceNotifier();
    ServiceNotifier(const ServiceNotifier &) = delete;
    ServiceNotifier &operator=(const ServiceNotifier &) = delete;

    bool active() const { return m_fd >= 0; }
    // Sends `lines` ("READY=1\nSTATUS=...") as one datagram; false when it could not be sent.
    bool notify(const QByteArray &lines);
    // How often the watchdog wants a ping (half its time-out); 0 when it does not watch.
    qint64 watchdogPingIntervalMs() const { return m_pingIntervalMs; }

private:
    int m_fd = -1;
    QByteArray m_address; // the sockaddr_un, as bytes
    qint64 m_pingIntervalMs = 0;
};

// Half the watchdog time-out the manager gives in WATCHDOG_USEC, in milliseconds; 0 when there
// is none, it is not a positive number, or WATCHDOG_PID names another process than `ownPid`.
qint64 watchdogPingIntervalMs(const QByteArray &usec, const QByteArray &pid, qint64 ownPid);
