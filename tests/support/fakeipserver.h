#pragma once

#include "engine/ipservercontrol.h"

#include <QStringList>

// The listening server as the engine sees it: the test sets whether it is active and its
// connection count, and reads the calls the engine made.
class FakeIpServer : public IpServerControl {
public:
    bool isActive() const override { return active; }
    void deactivate() override {
        active = false;
        calls << QStringLiteral("deactivate");
    }
    void setPort(int port) override { calls << QStringLiteral("port %1").arg(port); }
    void activate() override {
        active = true;
        calls << QStringLiteral("activate");
    }
    int connectionCount() const override { return count.toInt(); }

    bool active = true;
    QString count = QStringLiteral("0");
    QStringList calls;
};
