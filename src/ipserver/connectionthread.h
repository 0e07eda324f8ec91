#pragma once

#include "receiverservices.h"

#include <QThread>
#include <atomic>

class ConnectionCount;
class ConnectionRegistry;
class Dc09Exchange;
class PanelCycle;
class QTcpSocket;

// One panel's connection, served on a thread of its own with a blocking socket created inside
// the thread. A read that starts with LF starts DC-09 frames, which may span reads and follow
// each other on the connection; every other read is one bare-IP text. The connection lasts while
// data keeps coming: it ends when the panel is silent for the idle time-out (10 s), when the panel
// closes it, on a socket error, or when the server stops.
class ConnectionThread : public QThread {
    Q_OBJECT
public:
    struct Context {
        ReceiverServices services;
        ConnectionRegistry &registry;
        ConnectionCount &count;
        std::atomic<int> &disconnectLogFailures;
        int idleTimeoutMs;
    };

    // Ample for the protocol, the logs and the look-ups; the system's default (often 8 MiB)
    // would reserve tens of gigabytes of address space for thousands of panels.
    static constexpr uint stackSize = 256 * 1024;

    ConnectionThread(qintptr descriptor, Context context, QObject *parent = nullptr);

protected:
    void run() override;

private:
    enum class Wait { Data, Silent, Closed, Ended };

    void serve(QTcpSocket &socket, const QByteArray &peer);
    bool take(PanelCycle &cycle, Dc09Exchange &exchange, const QByteArray &bytes);
    bool takeFrames(PanelCycle &cycle, Dc09Exchange &exchange);
    Wait waitForData(QTcpSocket &socket);
    void logDisconnection(const QByteArray &peer);
    bool send(QTcpSocket &socket, const QByteArray &bytes);

    qintptr m_descriptor;
    Context m_context;
    QByteArray m_dc09Tail; // the start of a DC-09 frame whose end has not come yet
};
