#pragma once

#include "common/operatordialogs.h"

// Counts beeps instead of sounding them.
class CountingBeeper : public Beeper {
public:
    void beep() override { ++count; }
    int count = 0;
};
