#include "pathgroup.h"

#include "common/operatordialogs.h"
#include "settingbinding.h"
#include "settings/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {

QCheckBox *createCheck(const QString &name, const QString &caption, QWidget *parent) {
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

PathGroup::PathGroup(Settings &settings, Engine &engine, OperatorDialogs &dialogs, QWidget *parent)
    : QGroupBox(tr("Path"), parent)
    , m_settings(settings)
    , m_dialogs(dialogs)
    , m_serial(createSerialControls(5, settings, engine, this))
    , m_disableAck(createCheck(QStringLiteral("Disable_ACK"), tr("Disable ACK"), this))
    , m_address1(createField(QStringLiteral("IP_Address1"), SettingKey::TxIpAdd))
    , m_port1(createField(QStringLiteral("IP_Port1"), SettingKey::TxIpPort))
    , m_address2(createField(QStringLiteral("IP_Address2"), SettingKey::TxIpAdd2))
    , m_port2(createField(QStringLiteral("IP_Port2"), SettingKey::TxIpPort2))
    , m_forceBackup(createCheck(QStringLiteral("Use_Pri_Sec"), tr("Force Backup"), this)) {
    setObjectName(QStringLiteral("PathGroup"));
    SettingBinding::bindCheckBox(m_disableAck, settings, SettingKey::DisableTxAck);
    SettingBinding::showCheckBox(m_forceBackup, settings, SettingKey::ForceBackup);
    connect(m_forceBackup, &QCheckBox::toggled, this, &PathGroup::forceBackupToggled);
    connect(m_address2, &QLineEdit::textChanged, this, [this](const QString &text) {
        secondaryEdited(text, tr("Setup IP Secondary Address"));
    });
    connect(m_port2, &QLineEdit::textChanged, this,
            [this](const QString &text) { secondaryEdited(text, tr("Setup IP Secondary Port")); });

    // The path follows the Tx port however it changes: an operator's choice or a settings read.
    showPathControls();
    connect(&settings, &Settings::changed, this, [this](SettingKey key) {
        if (key == SettingKey::TxNum)
            showPathControls();
    });
    layOut();
}

QLineEdit *PathGroup::createField(const QString &name, SettingKey key) {
    auto *field = new QLineEdit(this);
    field->setObjectName(name);
    // Wide enough for a whole dotted address.
    field->setMinimumWidth(
        field->fontMetrics().horizontalAdvance(QStringLiteral("000.000.000.000")) + 12);
    SettingBinding::bindLineEdit(field, m_settings, key);
    return field;
}

void PathGroup::layOut() {
    auto *layout = new QGridLayout(this);
    layout->addWidget(m_serial.port, 0, 0);
    layout->addWidget(m_serial.speed, 0, 1);
    layout->addWidget(m_serial.dataBits, 1, 0);
    layout->addWidget(m_serial.parity, 1, 1);
    layout->addWidget(m_serial.stopBits, 2, 0);
    layout->addWidget(m_disableAck, 2, 1);
    layout->addWidget(new QLabel(tr("IP Primary Address & Port"), this), 3, 0, 1, 2);
    layout->addWidget(m_address1, 4, 0);
    layout->addWidget(m_port1, 4, 1);
    layout->addWidget(new QLabel(tr("IP Secondary Address & Port"), this), 5, 0, 1, 2);
    layout->addWidget(m_address2, 6, 0);
    layout->addWidget(m_port2, 6, 1);
    layout->addWidget(m_forceBackup, 7, 0, 1, 2);
}

void PathGroup::showPathControls() {
    const bool tcp = m_serial.port->currentIndex() == txPortTcpIndex;
    for (QWidget *serial :
         {static_cast<QWidget *>(m_serial.speed), static_cast<QWidget *>(m_serial.dataBits),
          static_cast<QWidget *>(m_serial.parity), static_cast<QWidget *>(m_serial.stopBits)})
        serial->setEnabled(!tcp);
    for (QWidget *network : {static_cast<QWidget *>(m_address1), static_cast<QWidget *>(m_port1),
                             static_cast<QWidget *>(m_address2), static_cast<QWidget *>(m_port2),
                             static_cast<QWidget *>(m_forceBackup)})
        network->setEnabled(tcp);
}

QString PathGroup::missingAddressNotice() const {
    if (m_address1->text().isEmpty())
        return tr("Setup IP Primary Address");
    if (m_address2->text().isEmpty())
        return tr("Setup IP Secondary Address");
    if (m_port1->text().isEmpty())
        return tr("Setup IP Primary Port");
    if (m_port2->text().isEmpty())
        return tr("Setup IP Secondary Port");
    return QString();
}

void PathGroup::forceBackupToggled(bool checked) {
    const QString missing = checked ? missingAddressNotice() : QString();
    if (!missing.isEmpty()) {
        {
            const QSignalBlocker blocker(m_forceBackup);
            m_forceBackup->setChecked(false);
        }
        m_dialogs.notice(noticeTitle, missing);
        return;
    }
    m_settings.setFlag(SettingKey::ForceBackup, checked);
}

void PathGroup::secondaryEdited(const QString &text, const QString &notice) {
    if (!text.isEmpty() || !m_forceBackup->isChecked())
        return;
    m_forceBackup->setChecked(false);
    m_dialogs.notice(noticeTitle, notice);
}
