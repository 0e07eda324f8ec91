#pragma once

#include <QDialog>

class Settings;

// "Application Password": the field holds the application password itself, so whatever is left
// in it is the password, whichever button closes the window.
class ExitPasswordWindow : public QDialog {
    Q_OBJECT
public:
    explicit ExitPasswordWindow(Settings &settings, QWidget *parent = nullptr);
};
