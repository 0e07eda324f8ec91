#include "settingsstore.h"

#include "inilinecheck.h"
#include "inirawvalue.h"
#include "settings.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <QTemporaryFile>
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

// A value's place in the store: its section and its name there.
struct StoreKey {
    QString section;
    QString name;
    QString path() const { return section + QLatin1Char('/') + name; }
};

StoreKey storeKey(const SettingRow &row) {
    return {sectionName(row.section), QString::fromLatin1(row.name)};
}

StoreKey deviceKey(int index) {
    return {QStringLiteral("Devices"), QStringLiteral("Com%1").arg(index + 1)};
}

// A hand-edited text with a comma comes back from the INI format as a list, its blanks around
// the commas lost: the text is taken from its line in the file instead, as it was written
// there. (The registry has no such reading; there the parts are joined again.)
std::optional<QString> storedText(QSettings &store, const StoreKey &key) {
    const QVariant value = store.value(key.path());
    if (!value.isValid())
        return std::nullopt;
    if (value.metaType().id() != QMetaType::QStringList)
        return value.toString();
    if (const std::optional<QString> raw = rawIniValue(store.fileName(), key.section, key.name))
        return raw;
    return value.toStringList().join(QStringLiteral(", "));
}

std::optional<int> storedInteger(QSettings &store, const StoreKey &key) {
    const std::optional<QString> text = storedText(store, key);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int value = text->trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

int storedNumberInRange(const SettingRow &row, int value) {
    if (value < row.minimum && row.belowRangeGivesDefault)
        return row.fallbackNumber();
    return std::clamp(value, row.minimum, row.maximum);
}

void readRow(Settings &settings, QSettings &store, const SettingRow &row) {
    const StoreKey key = storeKey(row);
    switch (row.section) {
    case SettingSection::Integers: {
        int value = storedInteger(store, key).value_or(row.fallbackNumber());
        if (row.choices > 0 && (value < 0 || value >= row.choices))
            value = -1;
        if (row.isNumber())
            value = storedNumberInRange(row, value);
        settings.setInteger(row.key, value);
        break;
    }
    case SettingSection::Logic:
        settings.setFlag(row.key, storedInteger(store, key).value_or(row.fallbackNumber()) != 0);
        break;
    case SettingSection::Strings:
        settings.setText(row.key,
                         storedText(store, key).value_or(QString::fromLatin1(row.fallback)));
        break;
    case SettingSection::NotStored:
        break;
    }
}

// Sections are parsed when first used: touch every one, so that a bad line anywhere shows now
// and not only at the next write, which would silently drop it.
bool storeIsDamaged(QSettings &store) {
    [[maybe_unused]] const QStringList keys = store.allKeys();
    return store.status() == QSettings::FormatError;
}

// What the file holds now; nothing for a missing file or a store that is no file (the registry).
std::optional<QByteArray> fileContent(const QString &fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// The settings from the sound lines of a damaged file, read through a copy of their own so that
// each value is undone exactly as from the file itself.
void readSoundLines(Settings &settings, const QByteArray &soundText) {
    QTemporaryFile copy;
    if (!copy.open() || copy.write(soundText) != soundText.size() || !copy.flush()) {
        settings.restoreDefaults();
        return;
    }
    QSettings store(copy.fileName(), QSettings::IniFormat);
    Read_Registry(settings, store);
}

// Whether writing `settings` would change a value the store holds (or add a missing one).
bool storeDiffers(const Settings &settings, QSettings &store) {
    for (SettingKey key : settingWriteOrder()) {
        if (storedText(store, storeKey(settingRow(key))) != settings.storedText(key))
            return true;
    }
    for (int i = 0; i < deviceCount; ++i) {
        if (storedText(store, deviceKey(i)) != settings.device(i))
            return true;
    }
    return false;
}

// The file as it stands, kept beside it as "<name>.bak" (replacing the last one) before it is
// rewritten. True also when there is no file to keep.
bool keepPreviousFile(const QString &fileName) {
    const std::optional<QByteArray> content = fileContent(fileName);
    if (!content)
        return true;
    QSaveFile backup(fileName + QStringLiteral(".bak"));
    return backup.open(QIODevice::WriteOnly) && backup.write(*content) == content->size() &&
           backup.commit();
}

// The damaged file under a name of its own beside it; empty when it could not be moved.
QString keepDamagedFile(const QString &fileName) {
    const QString stem = fileName + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 0; n < 100; ++n) {
        const QString name = n == 0 ? stem : stem + QLatin1Char('-') + QString::number(n);
        if (!QFile::exists(name))
            return QFile::rename(fileName, name) ? name : QString();
    }
    return QString();
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

bool Write_Registry(const Settings &settings, QSettings &store) {
    store.sync();
    if (!storeDiffers(settings, store))
        return true;
    const bool kept = keepPreviousFile(store.fileName());
    for (SettingKey key : settingWriteOrder())
        store.setValue(storeKey(settingRow(key)).path(), settings.storedText(key));
    for (int i = 0; i < deviceCount; ++i)
        store.setValue(deviceKey(i).path(), settings.device(i));
    store.sync();
    return kept;
}

SettingsReadResult readSettings(Settings &settings) {
    SettingsReadResult result;
    auto store = openSettingsStore();
    result.fileName = store->fileName();
    const std::optional<QByteArray> content = fileContent(result.fileName);
    const IniLineCheck check = content ? checkIniLines(*content) : IniLineCheck{};
    if (check.damaged.isEmpty() && !storeIsDamaged(*store)) {
        Read_Registry(settings, *store);
        return result;
    }
    result.damaged = true;
    result.damage = check.description();
    store.reset();
    result.keptAs = keepDamagedFile(result.fileName);
    readSoundLines(settings, check.soundText);
    return result;
}
