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
    {"RxLog", QT_TRANSLATE_NOOP("FormatOptionsGroup", "Save Data in LOG Files"),
     SettingKey::SaveRx},
    {"DoProcessing", QT_TRANSLATE_NOOP("FormatOptionsGroup", "Process Data"),
     SettingKey::ProcessData},
    {"UseTray", QT_TRANSLATE_NOOP("FormatOptionsGroup", "Run in Tray"), SettingKey::InTray},
    {"TxVoduro", QT_TRANSLATE_NOOP("FormatOptionsGroup", "Forward to Voduro"),
     SettingKey::TxVoduro},
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
    : QGroupBox(tr("Format && Options"), parent) {
    setObjectName(QStringLiteral("FormatOptionsGroup"));
    auto *layout = new QGridLayout(this);

    auto *format = new QComboBox(this);
    format->setObjectName(QStringLiteral("OutputFormat"));
    format->addItems({tr("High Speed"), tr("Basic")});
    SettingBinding::bindComboBox(format, settings, SettingKey::OutputFormat);
    layout->addWidget(new QLabel(tr("Format"), this), 0, 0);
    layout->addWidget(format, 0, 1, 1, 3);

    int row = 1;
    for (const Switch &entry : switches) {
        auto *box = new QCheckBox(tr(entry.caption), this);
        box->setObjectName(QString::fromLatin1(entry.name));
        SettingBinding::bindCheckBox(box, settings, entry.key);
        layout->addWidget(box, row++, 0, 1, 4);
    }

    layout->addWidget(new QLabel(tr("Poll Fail Code"), this), row, 0);
    layout->addWidget(
        createCodeField(QStringLiteral("PollCode"), settings, SettingKey::PollingCode, this), row,
        1);
    layout->addWidget(new QLabel(tr("SIA"), this), row, 2);
    layout->addWidget(createCodeField(QStringLiteral("PollFailCodeSIA"), settings,
                                      SettingKey::PollFailCodeSia, this),
                      row++, 3);
    layout->addWidget(new QLabel(tr("Poll Restore"), this), row, 2);
    layout->addWidget(createCodeField(QStringLiteral("PollRestCodeSIA"), settings,
                                      SettingKey::PollRestCodeSia, this),
                      row++, 3);

    QPushButton *startStop = createStartStopButton(engine, 5, this);
    auto *lights = new TrafficLights(engine, 5, startStop, this);
    layout->addWidget(new QLabel(tr("TX"), this), row, 0, Qt::AlignRight);
    layout->addWidget(lights->txLed(), row, 1);
    layout->addWidget(new QLabel(tr("RX"), this), row, 2, Qt::AlignRight);
    layout->addWidget(lights->rxLed(), row++, 3);
    layout->addWidget(startStop, row, 0, 1, 4);
}
