#pragma once

#include "settings/settingkeys.h"

class Engine;
class QCheckBox;
class QComboBox;
class QWidget;
class Settings;

// The serial parameters of line 1, 2 or 5 ("CPort<n>", "Speed<n>", "7 Data", "Even", "2 Stop"),
// bound to the line's settings. An operator's choice of another port or speed stops the line,
// which must then be started again on the new port.
struct SerialControls {
    QComboBox *port = nullptr;
    QComboBox *speed = nullptr;
    QCheckBox *dataBits = nullptr;
    QCheckBox *parity = nullptr;
    QCheckBox *stopBits = nullptr;
};

struct SerialKeys {
    SettingKey port;
    SettingKey speed;
    SettingKey parity;
    SettingKey dataBits;
    SettingKey stopBits;
};

SerialKeys serialKeys(int line);

// Line 5 also offers the TCP client as its tenth port.
SerialControls createSerialControls(int line, Settings &settings, Engine &engine, QWidget *parent);
