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

std::optional<QString> PasswordPrompt::ask(const QString &caption) {
    // A stale entry must never answer the next prompt.
    m_field->clear();
    setWindowTitle(caption);
    m_field->setFocus();
    const bool confirmed = exec() == QDialog::Accepted;
    const QString entered = m_field->text();
    m_field->clear();
    if (!confirmed)
        return std::nullopt;
    return entered;
}
