#pragma once

#include "enginestatus.h"

#include <QObject>

class IpServerControl;
class LogBook;
class OperatorDialogs;
class Settings;

// The START/STOP IP toggle and the IP receiver's inactivity watchdog, with the IP network's
// status display (ConnectedLED3, Pad_NUA3, ComLabIP).
class IpServerToggle : public QObject {
    Q_OBJECT
public:
    // Who asks: the operator's click gets a modal refusal; the watchdog, running on the tick,
    // one that does not block it.
    enum class Caller { Operator, Watchdog };
    static constexpr int watchdogStartTicks = 20000;
    // What the operator is told while connections are open and the server cannot be restarted.
    static QString refusalText();

    IpServerToggle(Settings &settings, LogBook &logs, OperatorDialogs &dialogs,
                   QObject *parent = nullptr);

    const IpNetworkStatus &status() const { return m_status; }

    void setServer(IpServerControl *server) { m_server = server; }

    // Stops the listening server or starts it on the "Listen on Port:" value. Refused (false,
    // with a notice) while connections are open.
    bool toggle(Caller caller);

    // The IP receiver feeds the watchdog when a connection starts and whenever it keeps a reply.
    // Any thread; the counter itself lives on the owner thread.
    void feedWatchdog();
    int watchdogTicks() const { return m_watchdogTicks; }

    // Tick step for the IP network: the light, the NUA caption and the watchdog countdown.
    void updateStatus();
    // The address of the panel a connection serves now; the tick puts the hyphens back once no
    // connection is open.
    void showPeer(const QString &address);

signals:
    void serverStateChanged(bool active); // "STOP IP" while active, "START IP" otherwise

private:
    static constexpr int watchdogSpent = -1; // fired; silent until it is fed again

    Settings &m_settings;
    LogBook &m_logs;
    OperatorDialogs &m_dialogs;
    IpNetworkStatus m_status;
    IpServerControl *m_server = nullptr;
    int m_watchdogTicks = 0;
};
