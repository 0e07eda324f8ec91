#pragma once

#include "common/datetimetext.h"
#include "ipserver/dc09keys.h"
#include "ipserverfixture.h"
#include "support/dc09panel.h"

#include <QFile>
#include <QMutex>
#include <QNetworkDatagram>
#include <QTimeZone>
#include <QUdpSocket>

// DC-09 panels on 127.0.0.1 and the receiver behind them, with its key file and options.
namespace dc09wire {

inline const QByteArray aesKey128 = "AAAAAAAAAAAAAAAA";
inline const QByteArray aesKey256 =
    QByteArray::fromHex("000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F");

// Contact ID 1 130 01 001 of account 5801, as the panel's ADM-CID sends it and as the monitor
// queues it: "2", account, "18", the report and the check digit.
inline const QByteArray burglary = "#5801|1130 01 001";
inline const QByteArray burglaryText = "25801181130010010";

inline QByteArray reply(const QByteArray &kind, const QByteArray &rest) {
    return dc09panel::frame("\"" + kind + "\"" + rest);
}

// Everything up to and including the next CR from the server.
inline QByteArray readFrame(Panel &panel) {
    QByteArray bytes;
    const bool complete = QTest::qWaitFor(
        [&] {
            bytes += panel.unread();
            return bytes.contains('\r');
        },
        15000);
    return complete ? bytes : QByteArray("no frame: " + bytes);
}

inline QDateTime utc(int year, int month, int day, int hour, int minute, int second) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), QTimeZone::utc());
}

// A panel on UDP at 127.0.0.1.
struct DatagramPanel {
    QUdpSocket socket;
    quint16 serverPort;

    explicit DatagramPanel(quint16 port)
        : serverPort(port) {
        socket.bind(QHostAddress::LocalHost, 0);
    }
    QByteArray exchange(const QByteArray &bytes) {
        socket.writeDatagram(bytes, QHostAddress::LocalHost, serverPort);
        if (!QTest::qWaitFor([this] { return socket.hasPendingDatagrams(); }, 15000))
            return {};
        const QNetworkDatagram answer = socket.receiveDatagram();
        return answer.senderPort() == serverPort ? answer.data() : QByteArray("wrong sender");
    }
};

// The receiver with a key file beside it and its DC-09 options, account 5801 known.
struct Dc09Fixture : IpServerFixture {
    Dc09Keys keys{env.filePath(Dc09Keys::fileName)};
    QMutex optionsMutex;
    Dc09Options options;

    Dc09Fixture() {
        server.setDc09Keys(&keys);
        server.setDc09Options([this] {
            QMutexLocker locker(&optionsMutex);
            return options;
        });
        addAccount(5801, 10);
    }
    ~Dc09Fixture() { Clock::setNowFunction({}); }
    void setOptions(const Dc09Options &changed) {
        QMutexLocker locker(&optionsMutex);
        options = changed;
    }
    bool writeKeys(const QByteArray &text) {
        QFile file(keys.filePath());
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return false;
        file.close();
        return keys.load().badLines.isEmpty();
    }
    QByteArrayList loggedRejections() { return logTexts(LogBook::ConversionLog); }
};

} // namespace dc09wire
