#include "passwordprompt.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

PasswordPrompt::PasswordPrompt(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_field(new QLineEdit(this)) {
    setObjectName(QStringLiteral("CloseForm1"));
    auto *label = new QLabel(QStringLiteral("Password:"), this);
    label->setObjectName(QStringLiteral("ClosePassword"));
    m_field->setObjectName(QStringLiteral("Edit1"));
    m_field->setEchoMode(QLineEdit::Password);
    m_field->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_field, 0, 1, 1, 2);
    layout->addWidget(ok, 1, 1);
    layout->addWidget(cancel, 1, 2);
}
