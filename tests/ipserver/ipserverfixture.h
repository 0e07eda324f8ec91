#pragma once

#include "accounts/pollsupervision.h"
#include "ipserver/enginewiring.h"
#include "ipserver/ipserver.h"
#include "ipserver/pollreportlines.h"
#include "ipserver/receiveroptions.h"
#include "support/automationreceiver.h"
#include "support/enginefixture.h"

#include <QTcpSocket>
#include <QTest>

// A panel on 127.0.0.1. Its waits run the event loop, so the server in the same thread accepts.
class Panel {
public:
    explicit Panel(quint16 port) { m_socket.connectToHost(QHostAddress::LocalHost, port); }

    bool waitConnected() {
        return QTest::qWaitFor(
            [this] { return m_socket.state() == QAbstractSocket::ConnectedState; }, 15000);
    }
    void send(const QByteArray &bytes) {
        m_socket.write(bytes);
        m_socket.flush();
    }
    // The next `count` bytes from the server (fewer if they do not come within 15 s).
    QByteArray reply(qint64 count) {
        const bool arrived =
            QTest::qWaitFor([&] { return m_socket.bytesAvailable() >= count; }, 15000);
        Q_UNUSED(arrived); // the caller compares what did come
        return m_socket.read(count);
    }
    QByteArray unread() { return m_socket.readAll(); }
    bool waitClosedByServer(int timeoutMs = 15000) {
        return QTest::qWaitFor(
            [this] { return m_socket.state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
    }
    void close() { m_socket.disconnectFromHost(); }
    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

private:
    QTcpSocket m_socket;
};

inline const QByteArray ack = QByteArrayLiteral("\x06\r\n");

// The receiver with the real engine models, account table, logs and settings behind it, on
// 127.0.0.1 only, wired as the program wires it.
struct IpServerFixture : EngineFixture {
    PollReportLines reportLines{settings, txQueue, logs};
    PollSupervision polls{accounts, reportLines,
                          [this] { return settings.integer(SettingKey::PollTimeOut); }};
    IpServer server{accounts, polls, logs};
    int watchdogFeeds = 0;
    QStringList errorAccounts;

    IpServerFixture() {
        logs.setSaveEnabled(true);
        logs.setConnectionLogEnabled(true);
        engine.setSetupWindowOpen(true);
        connectReceiverToEngine(server.output(), engine);
        QObject::connect(&server.output(), &ReceiverOutput::watchdogFed, &engine,
                         [this] { ++watchdogFeeds; });
        QObject::connect(&server.output(), &ReceiverOutput::errorAccountShown, &engine,
                         [this](const QString &text) { errorAccounts << text; });
        server.setListenAddress(QHostAddress::LocalHost);
        server.setReceiverOptions([this] { return receiverOptionsFrom(settings); });
    }
    ~IpServerFixture() { server.deactivate(); }

    bool start() {
        server.setPort(unusedLoopbackPort());
        server.activate();
        return server.isActive();
    }
    quint16 port() const { return server.serverPort(); }

    void addAccount(quint32 number, quint16 delay, quint16 armedDelay = 0, quint16 options = 0,
                    const QByteArray &nuaIp = QByteArray()) {
        AccountRecord record;
        record.accNum = number;
        record.pollDelay = delay;
        record.armPollDelay = armedDelay;
        record.optionBits = options;
        record.nuaIp = nuaIp;
        accounts.InsertAcc(record);
    }
    AccountRecord account(quint32 number) const {
        for (const AccountRecord &record : accounts.records())
            if (record.accNum == number)
                return record;
        return {};
    }

    // The texts of a log file's lines, without their date-time and separator.
    QList<QByteArray> logTexts(const QString &fileName, const QByteArray &separator = " -- ") {
        QList<QByteArray> texts;
        for (const QByteArray &line : env.readFile(fileName).split('\n')) {
            const qsizetype at = line.indexOf(separator);
            if (at >= 0)
                texts << line.mid(at + separator.size()).chopped(1); // drop the CR
        }
        return texts;
    }
    bool waitForLogLines(const QString &fileName, qsizetype count) {
        return QTest::qWaitFor([&] { return logTexts(fileName).size() >= count; }, 15000);
    }

    // Every earlier addition of this panel has reached the lists once its marker is queued.
    bool queueMarker(Panel &panel) {
        panel.send("9MARK");
        if (panel.reply(3) != ack)
            return false;
        return QTest::qWaitFor(
            [this] {
                return !engine.pendingMessages().isEmpty() &&
                       pendingTexts().last().endsWith("]9MARK");
            },
            15000);
    }
    // "Pending Messages" as the operator sees it: "[" + source + "]" + message.
    QByteArrayList pendingTexts() {
        QByteArrayList texts;
        for (int i = 0; i < engine.pendingMessages().size(); ++i)
            texts.append(engine.pendingMessages().at(i).text());
        return texts;
    }
    QList<QByteArray> pendingBeforeMarker() {
        QList<QByteArray> items = pendingTexts();
        items.removeLast();
        return items;
    }
};
