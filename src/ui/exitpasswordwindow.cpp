#include "exitpasswordwindow.h"

#include "passwordform.h"
#include "settingbinding.h"

#include <QLineEdit>

ExitPasswordWindow::ExitPasswordWindow(Settings &settings, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("ExitPasswordForm"));
    setWindowTitle(QStringLiteral("Application Password"));
    QLineEdit *password = buildPasswordForm(*this, QStringLiteral("PasswordToExit"));
    SettingBinding::bindLineEdit(password, settings, SettingKey::Password);
}
