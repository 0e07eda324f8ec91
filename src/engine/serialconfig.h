#pragma once

#include <QSerialPort>
#include <QString>

class Settings;

// The port parameters of a line as its controls hold them when the line is started.
struct SerialConfig {
    bool valid = false;  // a port and a speed are selected
    bool viaTcp = false; // line 5 with "TCP/IP" selected
    QString device;      // the device that "Com<n>" maps to
    qint32 baudRate = 0;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

SerialConfig serialConfigFor(const Settings &settings, int line);
void applySerialConfig(QSerialPort &port, const SerialConfig &config);
