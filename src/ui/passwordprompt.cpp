#include "passwordprompt.h"

#include "passwordform.h"

#include <QLineEdit>

PasswordPrompt::PasswordPrompt(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_field(buildPasswordForm(*this, QStringLiteral("Edit1"))) {
    setObjectName(QStringLiteral("CloseForm1"));
    m_field->setEchoMode(QLineEdit::Password);
    m_field->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
}
