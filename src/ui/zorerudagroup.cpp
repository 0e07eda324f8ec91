#include "zorerudagroup.h"

#include "ledindicator.h"
#include "linecontrols.h"
#include "serialcontrols.h"
#include "settingbinding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

ZorerUdaGroup::ZorerUdaGroup(int line, Settings &settings, Engine &engine, QWidget *parent)
    : QGroupBox(tr("Zorer-Uda %1").arg(line), parent) {
    setObjectName(QStringLiteral("ZorerUdaGroup%1").arg(line));
    const SerialControls serial = createSerialControls(line, settings, engine, this);

    auto *sendAck = new QCheckBox(tr("ACK Required"), this);
    sendAck->setObjectName(QStringLiteral("Send_Ack%1").arg(line));
    SettingBinding::bindCheckBox(sendAck, settings,
                                 line == 1 ? SettingKey::Port1Ack : SettingKey::Port2Ack);

    QPushButton *startStop = createStartStopButton(engine, line, this);
    auto *lights = new TrafficLights(engine, line, startStop, this);

    auto *layout = new QGridLayout(this);
    layout->addWidget(serial.port, 0, 0, 1, 2);
    layout->addWidget(serial.speed, 0, 2, 1, 2);
    layout->addWidget(serial.dataBits, 1, 0, 1, 2);
    layout->addWidget(serial.parity, 1, 2, 1, 2);
    layout->addWidget(serial.stopBits, 2, 0, 1, 2);
    layout->addWidget(sendAck, 2, 2, 1, 2);
    if (line == 2) {
        auto *fromReceiver = new QCheckBox(tr("From Receiver"), this);
        fromReceiver->setObjectName(QStringLiteral("chkFromReceiver"));
        SettingBinding::bindCheckBox(fromReceiver, settings, SettingKey::FromReceiver);
        layout->addWidget(fromReceiver, 3, 0, 1, 4);
    }
    layout->addWidget(new QLabel(tr("TX"), this), 4, 0, Qt::AlignRight);
    layout->addWidget(lights->txLed(), 4, 1);
    layout->addWidget(new QLabel(tr("RX"), this), 4, 2, Qt::AlignRight);
    layout->addWidget(lights->rxLed(), 4, 3);
    layout->addWidget(startStop, 5, 0, 1, 4);
}
