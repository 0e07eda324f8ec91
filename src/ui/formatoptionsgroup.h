#pragma once

#include <QGroupBox>

class Engine;
class Settings;

// "Format & Options": the automation output format, the switches for logging, decoding, the
// tray and forwarding, the poll report codes, and the transmit link's start/stop and lights.
class FormatOptionsGroup : public QGroupBox {
    Q_OBJECT
public:
    FormatOptionsGroup(Settings &settings, Engine &engine, QWidget *parent = nullptr);
};
