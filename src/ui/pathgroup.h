#pragma once

#include "serialcontrols.h"

#include <QGroupBox>

class Engine;
class OperatorDialogs;
class QCheckBox;
class QLineEdit;
class Settings;

// "Path": how the transmit link reaches the automation software, a serial port or the TCP
// client with a primary and a secondary address, and whether every line goes to both.
class PathGroup : public QGroupBox {
    Q_OBJECT
public:
    PathGroup(Settings &settings, Engine &engine, OperatorDialogs &dialogs,
              QWidget *parent = nullptr);

    static inline const QString noticeTitle = QStringLiteral("Voduro");

private:
    QLineEdit *createField(const QString &name, SettingKey key);
    void layOut();
    void showPathControls();
    void forceBackupToggled(bool checked);
    void secondaryEdited(const QString &text, const QString &notice);
    QString missingAddressNotice() const;

    Settings &m_settings;
    OperatorDialogs &m_dialogs;
    SerialControls m_serial;
    QCheckBox *m_disableAck;
    QLineEdit *m_address1;
    QLineEdit *m_port1;
    QLineEdit *m_address2;
    QLineEdit *m_port2;
    QCheckBox *m_forceBackup;
};
