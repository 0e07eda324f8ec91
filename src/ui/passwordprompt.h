#pragma once

#include <QDialog>
#include <optional>

class QLineEdit;

// The password prompt shown before closing the application and at log-on.
class PasswordPrompt : public QDialog {
    Q_OBJECT
public:
    explicit PasswordPrompt(QWidget *parent = nullptr);

    QLineEdit *field() const { return m_field; }

    // Asks modally under `caption`, centred on the window the prompt belongs to, with an empty
    // field. The text counts only when OK closes the prompt: an operator who presses Cancel or
    // Escape, or closes the prompt, has changed their mind, whatever the field holds.
    std::optional<QString> ask(const QString &caption);

private:
    QLineEdit *m_field;
};
