#pragma once

#include <QByteArray>

// Sends one bare-IP text to the IP receiver on 127.0.0.1:`port` as a panel does, on a connection
// of its own; true when the panel got its acknowledgement.
bool barePanelDelivered(quint16 port, const QByteArray &text);
