#pragma once

#include <QGroupBox>

class Engine;
class Settings;

// "Zorer-Uda 1" / "Zorer-Uda 2": the serial line of one radio unit, its lights and its
// start/stop button. Line 2 can also forward another receiver's lines ("From Receiver").
class ZorerUdaGroup : public QGroupBox {
    Q_OBJECT
public:
    ZorerUdaGroup(int line, Settings &settings, Engine &engine, QWidget *parent = nullptr);
};
