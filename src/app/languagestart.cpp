#include "languagestart.h"

#include "settings/settingkeys.h"
#include "settings/settingsstore.h"
#include "strings/languages.h"

void startLanguageLayer() {
    const SettingRow &row = settingRow(SettingKey::Language);
    // Read on its own: the other settings are read later, with the windows that hold them.
    // A settings file from before the choice existed simply has no such value.
    const QString stored = openSettingsStore()
                               ->value(QStringLiteral("Strings/") + QString::fromLatin1(row.name))
                               .toString();
    Languages::install(Languages::choose(stored));
}
