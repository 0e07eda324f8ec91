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

QByteArray contactIdWithCheckDigit(const QByteArray &digits) {
    int sum = 0;
    for (char digit : digits)
        sum += digit == '0' ? 10 : digit - '0';
    const int check = 15 - sum % 15;
    return '2' + digits +
           (check == 10  ? '0'
            : check < 10 ? char('0' + check)
                         : char('A' + check - 10));
}
