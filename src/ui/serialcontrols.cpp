#include "serialcontrols.h"

#include "engine/engine.h"
#include "settingbinding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>

namespace {

constexpr int txLine = 5;

QComboBox *createPortList(int line, QWidget *parent) {
    auto *box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("CPort%1").arg(line));
    for (int i = 1; i <= comPortChoices; ++i)
        box->addItem(QStringLiteral("Com%1").arg(i));
    if (line == txLine)
        box->addItem(QStringLiteral("TCP/IP"));
    return box;
}

QComboBox *createSpeedList(int line, QWidget *parent) {
    auto *box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("Speed%1").arg(line));
    for (int i = 0; i < speedChoices; ++i)
        box->addItem(QString::number(baudRateForIndex(i)));
    return box;
}

QCheckBox *createCheck(const QString &name, const QString &caption, QWidget *parent) {
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

SerialKeys serialKeys(int line) {
    using K = SettingKey;
    switch (line) {
    case 1:
        return {K::Port1Num, K::Port1Speed, K::Port1Parity, K::Port1DataBits, K::Port1StopBits};
    case 2:
        return {K::Port2Num, K::Port2Speed, K::Port2Parity, K::Port2DataBits, K::Port2StopBits};
    default:
        return {K::TxNum, K::TxSpeed, K::TxParity, K::TxDataBits, K::TxStopBits};
    }
}

SerialControls createSerialControls(int line, Settings &settings, Engine &engine, QWidget *parent) {
    const QString n = QString::number(line);
    SerialControls controls;
    controls.port = createPortList(line, parent);
    controls.speed = createSpeedList(line, parent);
    controls.dataBits =
        createCheck(QStringLiteral("DataBits") + n,
                    QCoreApplication::translate("SerialControls", "7 Data"), parent);
    controls.parity = createCheck(QStringLiteral("Parity") + n,
                                  QCoreApplication::translate("SerialControls", "Even"), parent);
    controls.stopBits =
        createCheck(QStringLiteral("Stop_bits") + n,
                    QCoreApplication::translate("SerialControls", "2 Stop"), parent);

    const SerialKeys keys = serialKeys(line);
    SettingBinding::bindComboBox(controls.port, settings, keys.port);
    SettingBinding::bindComboBox(controls.speed, settings, keys.speed);
    SettingBinding::bindCheckBox(controls.dataBits, settings, keys.dataBits);
    SettingBinding::bindCheckBox(controls.parity, settings, keys.parity);
    SettingBinding::bindCheckBox(controls.stopBits, settings, keys.stopBits);

    // Connected after the bindings, so the engine sees the new setting.
    const auto lineChanged = [&engine, line] { engine.portOrSpeedChanged(line); };
    QObject::connect(controls.port, &QComboBox::currentIndexChanged, &engine, lineChanged);
    QObject::connect(controls.speed, &QComboBox::currentIndexChanged, &engine, lineChanged);
    return controls;
}
