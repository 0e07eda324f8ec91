#pragma once

#include <QDialog>

class QLineEdit;
class Settings;

// "Application Password": shows the application password and takes a new one. Only OK changes
// it; Cancel, Escape or closing the window leave it as it was, so a half-typed password cannot
// lock the operators out.
class ExitPasswordWindow : public QDialog {
    Q_OBJECT
public:
    explicit ExitPasswordWindow(Settings &settings, QWidget *parent = nullptr);

    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    Settings &m_settings;
    QLineEdit *m_field;
};
