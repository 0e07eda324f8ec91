#pragma once

#include "receiverservices.h"

#include <QHostAddress>
#include <QSemaphore>
#include <QString>
#include <QThread>

class QUdpSocket;

// DC-09 over UDP on the receiver's port: one frame per datagram, the reply to its sender. Served
// on a thread of its own, so that the store before a reply never waits on the user-interface
// thread; datagrams are taken one at a time, in their order of arrival.
class DatagramThread : public QThread {
    Q_OBJECT
public:
    DatagramThread(ReceiverServices services, QHostAddress address, quint16 port,
                   QObject *parent = nullptr);
    ~DatagramThread() override;

    // Binds the port and serves it; false (with the reason in errorString()) when it cannot.
    bool begin();
    void end();
    QString errorString() const { return m_error; }

protected:
    void run() override;

private:
    void takeWaiting(QUdpSocket &socket);

    ReceiverServices m_services;
    QHostAddress m_address;
    quint16 m_port;
    QSemaphore m_bound;
    bool m_listening = false;
    QString m_error;
};
