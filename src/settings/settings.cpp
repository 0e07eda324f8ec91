#include "settings.h"

#include "common/integertext.h"
#include "common/logbook.h"

#include <cstddef>
#include <limits>

namespace {

QVariant defaultValue(const SettingRow &row) {
    const QString text = QString::fromLatin1(row.fallback);
    switch (row.section) {
    case SettingSection::Integers:
        return row.fallbackNumber();
    case SettingSection::Logic:
        return row.fallbackNumber() != 0;
    case SettingSection::NotStored:
        return row.key == SettingKey::LogConnections ? QVariant(false) : QVariant(text);
    case SettingSection::Strings:
        break;
    }
    return text;
}

} // namespace

Settings::Settings(QObject *parent)
    : QObject(parent) {
    restoreDefaults();
}

void Settings::restoreDefaults() {
    for (const SettingRow &row : settingRows())
        store(row.key, defaultValue(row));
    QMutexLocker lock(&m_mutex);
    for (int i = 0; i < deviceCount; ++i)
        m_devices[static_cast<std::size_t>(i)] = defaultDevice(i);
}

int Settings::integer(SettingKey key) const {
    QMutexLocker lock(&m_mutex);
    return m_values[static_cast<std::size_t>(key)].toInt();
}

std::optional<int> Settings::number(SettingKey key, LogBook &logs) const {
    const QString shown = text(key);
    const SettingRow &row = settingRow(key);
    const int minimum = row.isNumber() ? row.minimum : std::numeric_limits<int>::min();
    const int maximum = row.isNumber() ? row.maximum : std::numeric_limits<int>::max();
    const auto bounded = boundedIntegerFromText(shown, minimum, maximum);
    if (!bounded) {
        logs.logConversionFailure(shown);
        return std::nullopt;
    }
    if (bounded->clamped)
        logs.logConversionFailure(shown, outOfRangeMessage(shown, *bounded, minimum, maximum));
    return bounded->value;
}

QString Settings::text(SettingKey key) const {
    QMutexLocker lock(&m_mutex);
    return m_values[static_cast<std::size_t>(key)].toString();
}

bool Settings::flag(SettingKey key) const {
    QMutexLocker lock(&m_mutex);
    return m_values[static_cast<std::size_t>(key)].toBool();
}

void Settings::setInteger(SettingKey key, int value) {
    store(key, value);
}
void Settings::setText(SettingKey key, const QString &value) {
    store(key, value);
}
void Settings::setFlag(SettingKey key, bool value) {
    store(key, value);
}

void Settings::store(SettingKey key, const QVariant &value) {
    {
        QMutexLocker lock(&m_mutex);
        QVariant &slot = m_values[static_cast<std::size_t>(key)];
        if (slot == value && slot.metaType() == value.metaType())
            return;
        slot = value;
    }
    emit changed(key);
}

QString Settings::storedText(SettingKey key) const {
    QMutexLocker lock(&m_mutex);
    const QVariant &value = m_values[static_cast<std::size_t>(key)];
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return value.toString();
}

QString Settings::device(int index) const {
    QMutexLocker lock(&m_mutex);
    if (index < 0 || index >= deviceCount)
        return QString();
    return m_devices[static_cast<std::size_t>(index)];
}

void Settings::setDevice(int index, const QString &path) {
    if (index < 0 || index >= deviceCount)
        return;
    QMutexLocker lock(&m_mutex);
    m_devices[static_cast<std::size_t>(index)] = path;
}

QString Settings::defaultDevice(int index) {
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(index + 1);
#else
    return QStringLiteral("/dev/ttyS%1").arg(index);
#endif
}
