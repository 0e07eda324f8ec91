#include "statusquery.h"

#include "watchserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocalSocket>

namespace {

constexpr int answerMs = 10000;

} // namespace

StatusAnswer askForStatus() {
    const QString path = QDir::current().filePath(WatchServer::statusSocketName);
    QLocalSocket socket;
    socket.connectToServer(path, QIODevice::ReadOnly);
    if (!socket.waitForConnected(answerMs))
        return {3, QCoreApplication::translate("Voduro", "No Voduro monitor runs in %1.")
                       .arg(QDir::currentPath())};
    QByteArray report;
    while (socket.state() == QLocalSocket::ConnectedState && socket.waitForReadyRead(answerMs))
        report += socket.readAll();
    report += socket.readAll();
    if (!report.endsWith('\n'))
        return {4, QCoreApplication::translate("Voduro", "The Voduro monitor in %1 does not "
                                                         "answer.")
                       .arg(QDir::currentPath())};
    return {0, QString::fromUtf8(report)};
}
