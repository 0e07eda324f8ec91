#include "datagramthread.h"

#include "dc09exchange.h"
#include "peeraddress.h"
#include "receiveroutput.h"

#include <QNetworkDatagram>
#include <QUdpSocket>

namespace {

// The largest datagram; a DC-09 frame needs far less, and a longer one is refused whole.
constexpr qint64 datagramLimit = 65536;

} // namespace

DatagramThread::DatagramThread(ReceiverServices services, QHostAddress address, quint16 port,
                               QObject *parent)
    : QThread(parent)
    , m_services(services)
    , m_address(std::move(address))
    , m_port(port) {}

DatagramThread::~DatagramThread() {
    end();
}

bool DatagramThread::begin() {
    start();
    m_bound.acquire();
    if (!m_listening)
        wait();
    return m_listening;
}

void DatagramThread::end() {
    quit();
    wait();
}

void DatagramThread::run() {
    QUdpSocket socket;
    m_listening = socket.bind(m_address, m_port);
    m_error = socket.errorString();
    m_bound.release();
    if (!m_listening)
        return;
    connect(&socket, &QUdpSocket::readyRead, &socket, [this, &socket] { takeWaiting(socket); });
    exec();
}

// Taken while DC-09 is off too, and dropped: nothing else is spoken on this port.
void DatagramThread::takeWaiting(QUdpSocket &socket) {
    while (socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket.receiveDatagram(datagramLimit);
        if (!datagram.isValid() || !Dc09Exchange::enabled(m_services))
            continue;
        const QByteArray peer = dottedAddress(datagram.senderAddress());
        emit m_services.output.peerShown(QString::fromLatin1(peer));
        Dc09Exchange exchange(m_services, peer, [&socket, &datagram](const QByteArray &bytes) {
            return socket.writeDatagram(datagram.makeReply(bytes)) == bytes.size();
        });
        exchange.handle(datagram.data(), true);
    }
}
