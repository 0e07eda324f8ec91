#pragma once

#include <QDialog>

class QLineEdit;

// The password prompt shown before closing the application and at log-on.
class PasswordPrompt : public QDialog {
    Q_OBJECT
public:
    explicit PasswordPrompt(QWidget *parent = nullptr);

    QLineEdit *field() const { return m_field; }

private:
    QLineEdit *m_field;
};
