#include "formatoptionsgroup.h"

#include "ledindicator.h"
#include "linecontrols.h"
#include "settingbinding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

struct Switch {
    const char *name;
    const char *caption;
    SettingKey key;
};

constexpr Switch switches[] = {
    {"RxLog", "Save Data in LOG Files", SettingKey::SaveRx},
    {"DoProcessing", "Process Data", SettingKey::ProcessData},
    {"UseTray", "Run in Tray", SettingKey::InTray},
    {"TxVoduro", "Forward to Voduro", SettingKey::TxVoduro},
};

QLineEdit *createCodeField(const QString &name, Settings &settings, SettingKey key,
                           QWidget *parent) {
    auto *field = new QLineEdit(parent);
    field->setObjectName(name);
    SettingBinding::bindLineEdit(field, settings, key);
    return field;
}

} // namespace

FormatOptionsGroup::FormatOptionsGroup(Settings &settings, Engine &engine, QWidget *parent)
    // A title's "&&" shows as one ampersand.
    : QGroupBox(QStringLiteral("Format && Options"), parent) {
    setObjectName(QStringLiteral("FormatOptionsGroup"));
    auto *layout = new QGridLayout(this);

    auto *format = new QComboBox(this);
    format->setObjectName(QStringLiteral("OutputFormat"));
    format->addItems({QStringLiteral("High Speed"), QStringLiteral("Basic")});
    SettingBinding::bindComboBox(format, settings, SettingKey::OutputFormat);
    layout->addWidget(new QLabel(QStringLiteral("Format"), this), 0, 0);
    layout->addWidget(format, 0, 1, 1, 3);

    int row = 1;
    for (const Switch &entry : switches) {
        auto *box = new QCheckBox(QString::fromLatin1(entry.caption), this);
        box->setObjectName(QString::fromLatin1(entry.name));
        SettingBinding::bindCheckBox(box, settings, entry.key);
        layout->addWidget(box, row++, 0, 1, 4);
    }

    layout->addWidget(new QLabel(QStringLiteral("Poll Fail Code"), this), row, 0);
    layout->addWidget(
        createCodeField(QStringLiteral("PollCode"), settings, SettingKey::PollingCode, this), row,
        1);
    layout->addWidget(new QLabel(QStringLiteral("SIA"), this), row, 2);
    layout->addWidget(createCodeField(QStringLiteral("PollFailCodeSIA"), settings,
                                      SettingKey::PollFailCodeSia, this),
                      row++, 3);
    layout->addWidget(new QLabel(QStringLiteral("Poll Restore"), this), row, 2);
    layout->addWidget(createCodeField(QStringLiteral("PollRestCodeSIA"), settings,
                                      SettingKey::PollRestCodeSia, this),
                      row++, 3);

    auto *lights = new TrafficLights(engine, 5, this);
    layout->addWidget(new QLabel(QStringLiteral("TX"), this), row, 0, Qt::AlignRight);
    layout->addWidget(lights->txLed(), row, 1);
    layout->addWidget(new QLabel(QStringLiteral("RX"), this), row, 2, Qt::AlignRight);
    layout->addWidget(lights->rxLed(), row++, 3);
    layout->addWidget(createStartStopButton(engine, 5, this), row, 0, 1, 4);
}
