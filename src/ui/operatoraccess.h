#pragma once

#include <QObject>
#include <QPointer>

class PasswordPrompt;
class Settings;

// The operator's log-on state and the application password check behind log-on and closing.
// Every start begins logged off; the state is never stored.
class OperatorAccess : public QObject {
    Q_OBJECT
public:
    explicit OperatorAccess(Settings &settings, QObject *parent = nullptr);

    void setPrompt(PasswordPrompt *prompt) { m_prompt = prompt; }

    // Asks for the password under `caption`: true only when OK confirms an entry equal to the
    // application password, case included. A refusal shows nothing. Without a prompt nothing
    // can be confirmed.
    bool confirms(const QString &caption);

    bool isLoggedOn() const { return m_loggedOn; }
    // Logs on after asking for the password; logs off without asking.
    void logOnOrOff();

signals:
    void loggedOnChanged(bool loggedOn);

private:
    Settings &m_settings;
    QPointer<PasswordPrompt> m_prompt;
    bool m_loggedOn = false;
};
