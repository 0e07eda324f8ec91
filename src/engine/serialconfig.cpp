#include "serialconfig.h"

#include "settings/settings.h"

namespace {

struct LineKeys {
    SettingKey port, speed, dataBits, parity, stopBits;
};

LineKeys keysFor(int line) {
    switch (line) {
    case 1:
        return {SettingKey::Port1Num, SettingKey::Port1Speed, SettingKey::Port1DataBits,
                SettingKey::Port1Parity, SettingKey::Port1StopBits};
    case 2:
        return {SettingKey::Port2Num, SettingKey::Port2Speed, SettingKey::Port2DataBits,
                SettingKey::Port2Parity, SettingKey::Port2StopBits};
    default:
        return {SettingKey::TxNum, SettingKey::TxSpeed, SettingKey::TxDataBits,
                SettingKey::TxParity, SettingKey::TxStopBits};
    }
}

} // namespace

SerialConfig serialConfigFor(const Settings &settings, int line) {
    const LineKeys keys = keysFor(line);
    SerialConfig config;
    const int portIndex = settings.integer(keys.port);
    if (line == 5 && portIndex == txPortTcpIndex) {
        config.viaTcp = true;
        return config;
    }
    config.device = settings.device(portIndex);
    config.baudRate = baudRateForIndex(settings.integer(keys.speed));
    config.valid = !config.device.isEmpty() && config.baudRate > 0;
    config.dataBits = settings.flag(keys.dataBits) ? QSerialPort::Data7 : QSerialPort::Data8;
    config.parity = settings.flag(keys.parity) ? QSerialPort::EvenParity : QSerialPort::NoParity;
    config.stopBits = settings.flag(keys.stopBits) ? QSerialPort::TwoStop : QSerialPort::OneStop;
    return config;
}

void applySerialConfig(QSerialPort &port, const SerialConfig &config) {
    port.setPortName(config.device);
    port.setBaudRate(config.baudRate);
    port.setDataBits(config.dataBits);
    port.setParity(config.parity);
    port.setStopBits(config.stopBits);
    port.setFlowControl(QSerialPort::NoFlowControl);
}
