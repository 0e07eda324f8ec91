#pragma once

#include "settingkeys.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QVariant>
#include <array>
#include <optional>

class LogBook;

// The live settings: one value for every row of the settings table, from the first read until
// exit. The Coms Setup window's controls edit these values; the engine, the decoder and the
// connection threads read them. Every accessor is safe from any thread.
class Settings : public QObject {
    Q_OBJECT
public:
    explicit Settings(QObject *parent = nullptr);

    int integer(SettingKey key) const;  // drop-down index or number ("Integers")
    QString text(SettingKey key) const; // edit field text ("Strings")
    bool flag(SettingKey key) const;    // check box or flag ("Logic")
    // A number typed as text, brought into the range of its row of the settings table; a text
    // that is no number (nothing is returned) or a number out of range is logged to
    // "IP_EXPlog.TXT".
    std::optional<int> number(SettingKey key, LogBook &logs) const;

    void setInteger(SettingKey key, int value);
    void setText(SettingKey key, const QString &value);
    void setFlag(SettingKey key, bool value);

    // The stored text form of a value: the decimal index, the field text, "1" or "0".
    QString storedText(SettingKey key) const;

    // Serial device of "Com1" ... "Com9" (index 0 to 8).
    QString device(int index) const;
    void setDevice(int index, const QString &path);
    static QString defaultDevice(int index);

    // Every value back to its default; changed() tells which ones moved.
    void restoreDefaults();

signals:
    void changed(SettingKey key);

private:
    void store(SettingKey key, const QVariant &value);

    mutable QMutex m_mutex;
    std::array<QVariant, settingCount> m_values;
    std::array<QString, deviceCount> m_devices;
};
