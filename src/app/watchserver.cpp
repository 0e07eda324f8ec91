#include "watchserver.h"

#include "common/version.h"
#include "metrics/exposition.h"
#include "metrics/figures.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

// The objects that live on the watch thread.
class WatchEndpoints : public QObject {
public:
    QString open(const QHostAddress &metricsAddress, quint16 metricsPort) {
        QStringList problems;
        if (!openStatusSocket())
            problems << QStringLiteral("status socket %1: %2")
                            .arg(m_status->fullServerName(), m_status->errorString());
        if (!metricsAddress.isNull() && !openMetrics(metricsAddress, metricsPort))
            problems << QStringLiteral("metrics on %1 port %2: %3")
                            .arg(metricsAddress.toString())
                            .arg(metricsPort)
                            .arg(m_tcp->errorString());
        return problems.join(QStringLiteral("; "));
    }

    // On the watch thread, which owns their timers.
    void close() {
        delete m_statusWatch;
        delete m_tcp;
        delete m_status;
    }

private:
    bool openStatusSocket();
    bool listenForStatus();
    void takeStatusConnections();
    void answerStatus(QLocalSocket *socket);
    bool openMetrics(const QHostAddress &address, quint16 port);

    QLocalServer *m_status = nullptr;
    QTimer *m_statusWatch = nullptr;
    int m_statusOpen = 0;
    QPointer<GuardedTcpServer> m_tcp;
};

// Qt's local server closes itself for good when an accept fails (no descriptor was free): the
// socket is watched and listens again once it can.
bool WatchEndpoints::openStatusSocket() {
    m_status = new QLocalServer(this);
    m_status->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_status, &QLocalServer::newConnection, this, &WatchEndpoints::takeStatusConnections);
    m_statusWatch = new QTimer(this);
    m_statusWatch->setInterval(WatchServer::statusRelistenMs);
    connect(m_statusWatch, &QTimer::timeout, this, [this] {
        if (!m_status->isListening())
            listenForStatus();
    });
    m_statusWatch->start();
    return listenForStatus();
}

// Only the user the monitor runs as may ask: the socket is 0600.
bool WatchEndpoints::listenForStatus() {
    const QString path = QDir::current().filePath(WatchServer::statusSocketName);
    // The working directory's lock is held: a socket left here is from a monitor that died, or
    // from this one before its server went away.
    QLocalServer::removeServer(path);
    if (!m_status->listen(path))
        return false;
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

void WatchEndpoints::takeStatusConnections() {
    while (QLocalSocket *socket = m_status->nextPendingConnection()) {
        if (m_statusOpen >= WatchServer::statusConnections) {
            delete socket;
            continue;
        }
        ++m_statusOpen;
        connect(socket, &QObject::destroyed, this, [this] { --m_statusOpen; });
        answerStatus(socket);
    }
}

void WatchEndpoints::answerStatus(QLocalSocket *socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    socket->write(statusReport().toUtf8());
    socket->disconnectFromServer(); // after what was written has gone
}

namespace {

// The two pages exist for GET only; anything else does not exist.
HttpReply metricsPage(const HttpRequestHead &request) {
    const bool known = request.path == "/metrics" || request.path == "/health";
    if (!known)
        return {404, {}, {}};
    if (request.method != "GET")
        return {405, {}, {}};
    if (request.path == "/metrics")
        return {200, prometheusContentType, prometheusText(figures(), QByteArray(versionNumber))};
    // The monitor's own troubles follow its verdict; they do not change the status code.
    const HealthVerdict verdict = figures().health(steadyNowNs());
    QByteArray body = verdict.reason.toUtf8() + '\n';
    for (const QString &trouble : figures().openTroubles())
        body += "Trouble: " + trouble.toUtf8() + '\n';
    return {verdict.healthy ? 200 : 503, QByteArrayLiteral("text/plain; charset=utf-8"), body};
}

} // namespace

bool WatchEndpoints::openMetrics(const QHostAddress &address, quint16 port) {
    m_tcp = new GuardedTcpServer(metricsPage, this);
    return m_tcp->listen(address, port);
}

WatchServer::WatchServer() {
    m_thread.setObjectName(QStringLiteral("watch"));
}

WatchServer::~WatchServer() {
    stop();
}

QString WatchServer::start(const QHostAddress &metricsAddress, quint16 metricsPort) {
    if (m_endpoints)
        return QString();
    m_endpoints = new WatchEndpoints;
    m_endpoints->moveToThread(&m_thread);
    m_thread.start();
    QString problems;
    QMetaObject::invokeMethod(
        m_endpoints, [&] { problems = m_endpoints->open(metricsAddress, metricsPort); },
        Qt::BlockingQueuedConnection);
    return problems;
}

void WatchServer::stop() {
    if (!m_endpoints)
        return;
    QMetaObject::invokeMethod(
        m_endpoints, [this] { m_endpoints->close(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_endpoints;
    m_endpoints = nullptr;
}

QString statusReport() {
    const Figures &f = figures();
    QStringList lines{f.statusText()};
    const HealthVerdict health = f.health(steadyNowNs());
    lines << QStringLiteral("Health: %1").arg(health.reason);
    for (const QString &trouble : f.openTroubles())
        lines << QStringLiteral("Trouble: %1").arg(trouble);
    lines << QStringLiteral("Tx link: %1, %2 lines delivered, %3 retries")
                 .arg(f.value(Gauge::TxLinkFault) ? QStringLiteral("FAULT") : QStringLiteral("OK"))
                 .arg(f.linesDelivered())
                 .arg(f.retries());
    lines << QStringLiteral("Messages received: %1 Zorer-Uda 1, %2 Zorer-Uda 2, %3 TCP, %4 UDP")
                 .arg(f.receivedCount(Input::Zorer1))
                 .arg(f.receivedCount(Input::Zorer2))
                 .arg(f.receivedCount(Input::Tcp))
                 .arg(f.receivedCount(Input::Udp));
    quint64 refused = 0;
    for (int i = 0; i < int(Refusal::Count); ++i)
        refused += f.refusedCount(Refusal(i));
    lines << QStringLiteral("Messages refused: %1").arg(refused);
    lines << QStringLiteral("IP connections: %1 open, %2 since the start")
                 .arg(f.value(Gauge::Connections))
                 .arg(f.connectionsTotal());
    lines << QStringLiteral("Accounts: %1, %2 in poll failure")
                 .arg(f.value(Gauge::Accounts))
                 .arg(f.value(Gauge::AccountsPollFailed));
    lines << QStringLiteral("Queue journal: %1 bytes").arg(f.value(Gauge::JournalBytes));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
