#include "ipservertoggle.h"

#include "common/operatordialogs.h"
#include "common/ownerthread.h"
#include "enginestatus.h"
#include "ipservercontrol.h"
#include "settings/settings.h"

QString IpServerToggle::refusalText() {
    return tr("Close all the connections already connected to Voduro.");
}

IpServerToggle::IpServerToggle(Settings &settings, LogBook &logs, OperatorDialogs &dialogs,
                               QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_logs(logs)
    , m_dialogs(dialogs) {}

bool IpServerToggle::toggle(Caller caller) {
    if (!m_server)
        return false;
    if (m_server->connectionCount() != 0) {
        if (caller == Caller::Operator)
            m_dialogs.notice(QStringLiteral("Voduro"), refusalText());
        else
            m_dialogs.backgroundNotice(QStringLiteral("Voduro"), refusalText());
        return false;
    }
    if (m_server->isActive()) {
        m_server->deactivate();
    } else {
        if (const auto port = m_settings.number(SettingKey::TcpPort, m_logs))
            m_server->setPort(*port);
        m_server->activate();
    }
    const bool active = m_server->isActive();
    m_settings.setFlag(SettingKey::TcpOpen, active);
    m_status.labelEnabled = active;
    emit serverStateChanged(active);
    return true;
}

void IpServerToggle::feedWatchdog() {
    runOnOwnerThread(this, [this] { m_watchdogTicks = watchdogStartTicks; });
}

void IpServerToggle::showPeer(const QString &address) {
    m_status.peer = address;
}

void IpServerToggle::updateStatus() {
    const bool lit = m_server && m_server->connectionCount() != 0;
    m_status.connected = lit;
    if (!lit) {
        m_status.peer = noNuaText;
        return;
    }
    if (m_watchdogTicks > 0) {
        --m_watchdogTicks;
        return;
    }
    if (m_watchdogTicks == watchdogSpent)
        return;
    // Fires once per silence: a restart that cannot take place is not asked for again on every
    // tick. A refused toggle changed nothing, so the second one is only made after the first acted.
    m_watchdogTicks = watchdogSpent;
    if (toggle(Caller::Watchdog))
        toggle(Caller::Watchdog);
}
