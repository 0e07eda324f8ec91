#include "settingsstore.h"

#include "settings.h"

#include <QStringList>
#include <algorithm>
#include <optional>

namespace {

QString sectionName(SettingSection section) {
    switch (section) {
    case SettingSection::Integers:
        return QStringLiteral("Integers");
    case SettingSection::Strings:
        return QStringLiteral("Strings");
    case SettingSection::Logic:
        return QStringLiteral("Logic");
    case SettingSection::NotStored:
        break;
    }
    return QString();
}

QString storeKey(const SettingRow &row) {
    return sectionName(row.section) + QLatin1Char('/') + QString::fromLatin1(row.name);
}

QString deviceKey(int index) {
    return QStringLiteral("Devices/Com%1").arg(index + 1);
}

// A hand-edited text with a comma comes back from the INI format as a list: join it again.
std::optional<QString> storedText(QSettings &store, const QString &key) {
    const QVariant value = store.value(key);
    if (!value.isValid())
        return std::nullopt;
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

std::optional<int> storedInteger(QSettings &store, const QString &key) {
    const std::optional<QString> text = storedText(store, key);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int value = text->trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

void readRow(Settings &settings, QSettings &store, const SettingRow &row) {
    const QString key = storeKey(row);
    switch (row.section) {
    case SettingSection::Integers: {
        int value = storedInteger(store, key).value_or(QString::fromLatin1(row.fallback).toInt());
        if (row.choices > 0 && (value < 0 || value >= row.choices))
            value = -1;
        if (row.key == SettingKey::PollTimeOut)
            value = std::clamp(value, 0, 999);
        settings.setInteger(row.key, value);
        break;
    }
    case SettingSection::Logic:
        settings.setFlag(
            row.key,
            storedInteger(store, key).value_or(QString::fromLatin1(row.fallback).toInt()) != 0);
        break;
    case SettingSection::Strings:
        settings.setText(row.key,
                         storedText(store, key).value_or(QString::fromLatin1(row.fallback)));
        break;
    case SettingSection::NotStored:
        break;
    }
}

} // namespace

std::unique_ptr<QSettings> openSettingsStore() {
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Voduro"),
                                       QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Voduro"));
#endif
}

void Read_Registry(Settings &settings, QSettings &store) {
    store.sync();
    for (const SettingRow &row : settingRows())
        readRow(settings, store, row);
    for (int i = 0; i < deviceCount; ++i)
        settings.setDevice(i, storedText(store, deviceKey(i)).value_or(Settings::defaultDevice(i)));
}

void Write_Registry(const Settings &settings, QSettings &store) {
    for (SettingKey key : settingWriteOrder())
        store.setValue(storeKey(settingRow(key)), settings.storedText(key));
    for (int i = 0; i < deviceCount; ++i)
        store.setValue(deviceKey(i), settings.device(i));
    store.sync();
}
