#pragma once

#include "protocol/zorerinput.h"

#include <QByteArray>

// One slot of the line table: 1 and 2 are Zorer-Uda 1 and 2, 3 the IP network, 4 spare, 5 the
// Tx link.
struct LineSlot {
    QByteArray rxText;       // received since the slot was last serviced
    quint8 quietTicks = 0;   // set to 3 on arrival; the slot is serviced when it reaches 0
    CallState call;          // connected flag, "COM" call flag and the caller's NUA
    bool deviceLost = false; // lines 1 and 2: the device went away while the line was started
    int reopenTicks = 0;     // while it is lost: ticks until the next try to open it
};

constexpr int slotCount = 5;
constexpr int quietTicksAfterInput = 3;
