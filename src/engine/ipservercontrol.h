#pragma once

#include <QString>

// What the engine needs of the IP listening server: the self-test asks whether it is active and
// restarts it when the test goes unanswered; the START/STOP IP toggle (also called by the
// watchdog) stops and starts it; the status display shows its connection count.
class IpServerControl {
public:
    virtual ~IpServerControl() = default;
    virtual bool isActive() const = 0;
    virtual void deactivate() = 0;
    virtual void setPort(int port) = 0;
    virtual void activate() = 0;
    virtual int connectionCount() const = 0; // "Connections"
};
