#pragma once

#include "common/operatordialogs.h"

// The desktop's beep.
class ApplicationBeeper : public Beeper {
public:
    void beep() override;
};
