#pragma once

#include <QMutex>
#include <QtGlobal>
#include <set>

// The sockets of the open connections, so that a stop can wake the threads blocked in a wait for
// data: it shuts the sockets down from the stopping thread, and each blocked wait returns at once.
// A connection leaves the registry before its socket is closed, so a stop never touches a
// descriptor the system may already have given to another socket.
class ConnectionRegistry {
public:
    // False while a stop is under way: the connection must end at once.
    bool enter(qintptr descriptor);
    void leave(qintptr descriptor);
    bool stopping() const;

    // Refuses new entries and shuts every registered socket down for reading and writing.
    void stopAll();
    void reopen();

    // Closes a descriptor that no socket took over.
    static void closeUnused(qintptr descriptor);

private:
    mutable QMutex m_mutex;
    std::set<qintptr> m_descriptors;
    bool m_stopping = false;
};
