#include "operatoraccess.h"

#include "passwordprompt.h"
#include "settings/settings.h"

OperatorAccess::OperatorAccess(Settings &settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings) {}

bool OperatorAccess::confirms(const QString &caption) {
    if (!m_prompt)
        return false;
    const std::optional<QString> entered = m_prompt->ask(caption);
    return entered && *entered == m_settings.text(SettingKey::Password);
}

void OperatorAccess::logOnOrOff() {
    if (!m_loggedOn && !confirms(tr("Log on")))
        return;
    m_loggedOn = !m_loggedOn;
    emit loggedOnChanged(m_loggedOn);
}
