#include "exitpasswordwindow.h"

#include "passwordform.h"
#include "settings/settings.h"

#include <QLineEdit>

ExitPasswordWindow::ExitPasswordWindow(Settings &settings, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_settings(settings)
    , m_field(buildPasswordForm(*this, QStringLiteral("PasswordToExit"))) {
    setObjectName(QStringLiteral("ExitPasswordForm"));
    setWindowTitle(tr("Application Password"));
    m_field->setText(settings.text(SettingKey::Password));
}

void ExitPasswordWindow::accept() {
    m_settings.setText(SettingKey::Password, m_field->text());
    QDialog::accept();
}

void ExitPasswordWindow::showEvent(QShowEvent *event) {
    // Each opening starts from the password in force, not from an earlier cancelled edit.
    m_field->setText(m_settings.text(SettingKey::Password));
    QDialog::showEvent(event);
}
