#pragma once

#include "protocol/zorerinput.h"

#include <QByteArray>

// The lines of the line table, by the numbers the operator and the settings know them by.
namespace Line {
enum Number : int { Zorer1 = 1, Zorer2 = 2, IpNetwork = 3, Spare = 4, Tx = 5 };
} // namespace Line

// The lines whose text the engine reads itself: the IP network's messages come from its
// receiver, and the spare line receives nothing.
constexpr bool readsOwnText(int line) {
    return line != Line::IpNetwork && line != Line::Spare;
}

// One slot of the line table.
struct LineSlot {
    QByteArray rxText;       // received since the slot was last serviced
    quint8 quietTicks = 0;   // set to 3 on arrival; the slot is serviced when it reaches 0
    CallState call;          // connected flag, "COM" call flag and the caller's NUA
    bool deviceLost = false; // the Zorer-Uda lines: the device went away while the line was started
    int reopenTicks = 0;     // while it is lost: ticks until the next try to open it
};

constexpr int slotCount = Line::Tx;
constexpr int quietTicksAfterInput = 3;
