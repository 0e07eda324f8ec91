#pragma once

#include <QSettings>
#include <memory>

class Settings;

// The settings store: HKEY_CURRENT_USER\Voduro on Windows, Voduro.conf in the user's
// configuration directory elsewhere, with the sections "Integers", "Strings" and "Logic" (and
// "Devices" for the serial device paths), every value kept as text.
std::unique_ptr<QSettings> openSettingsStore();

// Fills the live settings from the store. A missing value, or an "Integers" or "Logic" value that
// is not a number, gives the default; a drop-down index outside its list becomes -1; the
// missed-poll allowance is clamped to 0..999.
void Read_Registry(Settings &settings, QSettings &store);

// Writes every value back as text, then flushes the store.
void Write_Registry(const Settings &settings, QSettings &store);
