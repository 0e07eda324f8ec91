#include "barepanel.h"

#include <QTcpSocket>

bool barePanelDelivered(quint16 port, const QByteArray &text) {
    QTcpSocket panel;
    panel.connectToHost(QHostAddress::LocalHost, port);
    if (!panel.waitForConnected(1000))
        return false;
    panel.write(text);
    QByteArray reply;
    while (reply.size() < 3 && panel.waitForReadyRead(10000))
        reply += panel.readAll();
    return reply == QByteArray("\x06\r\n");
}
