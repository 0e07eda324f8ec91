#include "watchserver.h"

#include "guardedtcpserver.h"

#include "common/version.h"
#include "metrics/exposition.h"
#include "metrics/figures.h"

#include <QDir>
#include <QFile>
#include <QHttpServer>
#include <QHttpServerResponse>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

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

    // The HTTP server takes the listening socket as its child when bound to it.
    void close() {
        delete m_http;
        delete m_tcp;
        delete m_status;
    }

private:
    bool openStatusSocket();
    bool openMetrics(const QHostAddress &address, quint16 port);
    void answerStatus(QLocalSocket *socket);

    QLocalServer *m_status = nullptr;
    QPointer<GuardedTcpServer> m_tcp;
    QHttpServer *m_http = nullptr;
};

// Only the user the monitor runs as may ask: the socket is 0600.
bool WatchEndpoints::openStatusSocket() {
    m_status = new QLocalServer(this);
    m_status->setSocketOptions(QLocalServer::UserAccessOption);
    const QString path = QDir::current().filePath(WatchServer::statusSocketName);
    // The working directory's lock is held: a socket left here is from a monitor that died.
    QLocalServer::removeServer(path);
    if (!m_status->listen(path))
        return false;
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    connect(m_status, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_status->nextPendingConnection())
            answerStatus(socket);
    });
    return true;
}

void WatchEndpoints::answerStatus(QLocalSocket *socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    socket->write(statusReport().toUtf8());
    socket->disconnectFromServer(); // after what was written has gone
}

bool WatchEndpoints::openMetrics(const QHostAddress &address, quint16 port) {
    m_tcp = new GuardedTcpServer(this);
    if (!m_tcp->listen(address, port))
        return false;
    m_http = new QHttpServer(this);
    using Method = QHttpServerRequest::Method;
    m_http->route(QStringLiteral("/metrics"), Method::Get, [] {
        return QHttpServerResponse(prometheusContentType,
                                   prometheusText(figures(), QByteArray(versionNumber)));
    });
    m_http->route(QStringLiteral("/health"), Method::Get, [] {
        const HealthVerdict verdict = figures().health(steadyNowNs());
        return QHttpServerResponse(
            QByteArrayLiteral("text/plain; charset=utf-8"), verdict.reason.toUtf8() + '\n',
            verdict.healthy ? QHttpServerResponse::StatusCode::Ok
                            : QHttpServerResponse::StatusCode::ServiceUnavailable);
    });
    // The two pages exist for GET only; anything else does not exist.
    m_http->setMissingHandler([](const QHttpServerRequest &request,
                                 QHttpServerResponder &&responder) {
        const QString path = request.url().path();
        const bool known = path == QLatin1String("/metrics") || path == QLatin1String("/health");
        responder.write(known ? QHttpServerResponder::StatusCode::MethodNotAllowed
                              : QHttpServerResponder::StatusCode::NotFound);
    });
    m_http->bind(m_tcp);
    return true;
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
