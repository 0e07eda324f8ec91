#pragma once

#include "support/automationreceiver.h"
#include "support/barepanel.h"
#include "support/displayless.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

// The real program run as the service, in a directory of its own, with its IP receiver on
// 127.0.0.1 and its Tx link to an automation receiver on loopback that acknowledges every line.
class WatchedService {
public:
    WatchedService()
        : ipPort(unusedLoopbackPort()) {
        QSettings store(m_directory.filePath("config/Voduro.conf"), QSettings::IniFormat);
        store.setValue("Logic/TCP Open", "1");
        store.setValue("Logic/Tx Open", "1");
        store.setValue("Integers/Tx Num", "9"); // the Tx link over TCP
        store.setValue("Strings/Heart Beat", "0");
        store.setValue("Strings/TCP Port", QString::number(ipPort));
        store.setValue("Strings/Tx IP Add", "127.0.0.1");
        store.setValue("Strings/Tx IP Port", QString::number(automation.port()));
    }
    ~WatchedService() { stop(); }

    QString workDirectory() const { return m_directory.path(); }
    QString filePath(const QString &name) const { return m_directory.filePath(name); }

    bool start(const QStringList &extraArguments = {},
               const QProcessEnvironment &environment = displaylessEnvironment()) {
        m_stopRequested = false; // a program started again is stopped again
        QProcessEnvironment withConfig = environment;
        withConfig.insert("XDG_CONFIG_HOME", m_directory.filePath("config"));
        process.setProcessEnvironment(withConfig);
        process.start(VODURO_BINARY, QStringList{"--headless", "--workdir", m_directory.path(),
                                                 "--test-listen-address", "127.0.0.1"} +
                                         extraArguments);
        return process.waitForStarted(10000);
    }

    // SIGTERM (once: a second one may end the shutdown it began), and the program's end
    // awaited.
    void requestStop() {
        if (!m_stopRequested && process.state() != QProcess::NotRunning)
            ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        m_stopRequested = true;
    }
    bool stop() {
        requestStop();
        if (process.state() != QProcess::NotRunning && !process.waitForFinished(20000))
            return false;
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    // A bare-IP text from a panel; true when the panel got its acknowledgement.
    bool panelDelivered(const QByteArray &text) const { return barePanelDelivered(ipPort, text); }

    // The program's own status command for this directory.
    static QPair<int, QByteArray> statusCommand(const QString &directory) {
        QProcess status;
        status.setProcessEnvironment(displaylessEnvironment());
        status.start(VODURO_BINARY, {"--status", "--workdir", directory});
        if (!status.waitForFinished(20000))
            return {-1, {}};
        return {status.exitCode(), status.readAllStandardOutput()};
    }

    AutomationReceiver automation{AutomationReceiver::Reply::Ack};
    const quint16 ipPort;
    QProcess process;

private:
    QTemporaryDir m_directory;
    bool m_stopRequested = false;
};

// A response of the metrics page; status 0: none (the connection was closed).
struct HttpResponse {
    int status = 0;
    QByteArray headers;
    QByteArray body;
};

// One request on a connection of its own; the response read by its Content-Length.
inline HttpResponse httpRequest(quint16 port, const QByteArray &bytes) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(10000))
        return {};
    socket.write(bytes);
    QByteArray got;
    qsizetype end = -1;
    while ((end = got.indexOf("\r\n\r\n")) < 0 && socket.waitForReadyRead(10000))
        got += socket.readAll();
    if (end < 0)
        return {};
    HttpResponse response{got.mid(9, 3).toInt(), got.left(end), got.mid(end + 4)};
    static const QRegularExpression lengthField("\r\nContent-Length: *(\\d+)",
                                                QRegularExpression::CaseInsensitiveOption);
    const qsizetype length =
        lengthField.match(QString::fromLatin1(response.headers)).captured(1).toLongLong();
    while (response.body.size() < length && socket.waitForReadyRead(10000))
        response.body += socket.readAll();
    return response;
}
inline HttpResponse httpGet(quint16 port, const QByteArray &path) {
    return httpRequest(port, "GET " + path + " HTTP/1.1\r\nHost: localhost\r\n\r\n");
}

// The value of one sample, as its line in the page gives it; -1 when there is none.
inline double metricSample(const QByteArray &page, const QByteArray &name) {
    for (const QByteArray &line : page.split('\n')) {
        if (line.startsWith(name + ' '))
            return line.mid(name.size() + 1).toDouble();
    }
    return -1;
}
