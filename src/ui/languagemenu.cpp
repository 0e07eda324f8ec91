#include "languagemenu.h"

#include "common/operatordialogs.h"
#include "settings/settings.h"
#include "strings/languages.h"

#include <QMenu>

LanguageMenu::LanguageMenu(QMenu &menu, Settings &settings, OperatorDialogs &dialogs)
    : QObject(&menu)
    , m_settings(settings)
    , m_dialogs(dialogs) {
    for (const QString &language : Languages::available()) {
        QAction *entry = menu.addAction(Languages::displayName(language));
        entry->setObjectName(QStringLiteral("Lang_") + language);
        connect(entry, &QAction::triggered, this, [this, language] { choose(language); });
    }
}

void LanguageMenu::choose(const QString &language) {
    m_settings.setText(SettingKey::Language, language);
    if (language != Languages::current())
        m_dialogs.informationNotice(QStringLiteral("Voduro"),
                                    tr("Restart Voduro to load new language"));
    emit chosen(language);
}
