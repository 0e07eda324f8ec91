#include "passwordform.h"

#include <QCoreApplication>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

QLineEdit *buildPasswordForm(QDialog &dialog, const QString &fieldName) {
    auto *label = new QLabel(QCoreApplication::translate("PasswordForm", "Password:"), &dialog);
    label->setObjectName(QStringLiteral("ClosePassword"));
    auto *field = new QLineEdit(&dialog);
    field->setObjectName(fieldName);
    auto *ok = new QPushButton(QCoreApplication::translate("PasswordForm", "OK"), &dialog);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QCoreApplication::translate("PasswordForm", "Cancel"), &dialog);
    cancel->setObjectName(QStringLiteral("Cancel"));
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

    auto *layout = new QGridLayout(&dialog);
    layout->addWidget(label, 0, 0);
    layout->addWidget(field, 0, 1, 1, 2);
    layout->addWidget(ok, 1, 1);
    layout->addWidget(cancel, 1, 2);
    return field;
}
