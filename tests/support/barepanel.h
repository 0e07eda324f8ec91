#pragma once

#include <QByteArray>

// Sends one bare-IP text to the IP receiver on 127.0.0.1:`port` as a panel does, on a connection
// of its own; true when the panel got its acknowledgement.
bool barePanelDelivered(quint16 port, const QByteArray &text);

// A Contact ID report as a panel sends it: "2", then `digits` (account, qualifier, event,
// group, zone) and the check digit that makes the whole a multiple of 15.
QByteArray contactIdWithCheckDigit(const QByteArray &digits);
