#pragma once

#include <QObject>

class OperatorDialogs;
class QMenu;
class Settings;

// Fills the "Language" menu with English and every language with a compiled translation. The
// running program keeps its language: a choice is stored for the next start, and the operator
// is told so when it differs from the language in use.
class LanguageMenu : public QObject {
    Q_OBJECT
public:
    LanguageMenu(QMenu &menu, Settings &settings, OperatorDialogs &dialogs);

signals:
    // A language was chosen and stored in the live settings.
    void chosen(const QString &language);

private:
    void choose(const QString &language);

    Settings &m_settings;
    OperatorDialogs &m_dialogs;
};
