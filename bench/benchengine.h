#pragma once

// The engine with every service it needs and no operator, for the benchmarks that drive it
// directly, a raw pseudo-terminal for a serial line, and a free port on 127.0.0.1.

#include "accounts/accounttable.h"
#include "common/logbook.h"
#include "common/operatordialogs.h"
#include "engine/engine.h"
#include "events/eventlistmodel.h"
#include "events/txqueue.h"
#include "settings/settings.h"

#include <QString>
#include <QTcpServer>

#include <pty.h>
#include <termios.h>

// Every question is answered yes; nothing is shown and nothing beeps.
struct QuietDialogs : OperatorDialogs {
    bool question(const QString &, const QString &) override { return true; }
    void notice(const QString &, const QString &) override {}
    void backgroundNotice(const QString &, const QString &) override {}
};
struct QuietBeeper : Beeper {
    void beep() override {}
};

struct EngineBench {
    Settings settings;
    LogBook logs;
    AccountTable accounts;
    EventLists lists;
    TxQueue txQueue;
    QuietDialogs dialogs;
    QuietBeeper beeper;
    Engine engine{{settings, logs, accounts, lists, txQueue, dialogs, beeper}};
};

// A pseudo-terminal pair in raw mode; returns the device name of its slave end.
inline QString openRawPty(int &master, int &slave) {
    char name[256] = {};
    openpty(&master, &slave, name, nullptr, nullptr);
    termios raw{};
    tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    return QString::fromLocal8Bit(name);
}

// A port on 127.0.0.1 that nothing listens on at the moment of asking.
inline quint16 freeLoopbackPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
