#include "exitpasswordwindow.h"

#include "settingbinding.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

ExitPasswordWindow::ExitPasswordWindow(Settings &settings, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("ExitPasswordForm"));
    setWindowTitle(QStringLiteral("Application Password"));

    auto *label = new QLabel(QStringLiteral("Password:"), this);
    label->setObjectName(QStringLiteral("ClosePassword"));
    auto *password = new QLineEdit(this);
    password->setObjectName(QStringLiteral("PasswordToExit"));
    SettingBinding::bindLineEdit(password, settings, SettingKey::Password);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(password, 0, 1, 1, 2);
    layout->addWidget(ok, 1, 1);
    layout->addWidget(cancel, 1, 2);
}
