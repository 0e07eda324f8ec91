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

// Writes every value back as text, then flushes the store. A store that already holds every
// value as it stands is left untouched; before a store file is rewritten, the file as it stood
// is kept beside it as "Voduro.conf.bak", so that the last hand edit (with its comments and
// layout) can always be recovered. False when that copy could not be written (the values are
// written all the same).
bool Write_Registry(const Settings &settings, QSettings &store);

// What reading the settings at start-up found.
struct SettingsReadResult {
    QString fileName;     // the store's file (or registry path)
    bool damaged = false; // lines of the file that the reader would skip or misread
    QString damage;       // which lines and why ("line 3: no \"=\""); empty when only the
                          // reader itself refused the file
    QString keptAs;       // where the damaged file now lies; empty when it could not be moved
};

// Reads the settings from the store. A store file with damaged lines is not trusted, nor left
// where the next write would replace it: it is moved aside unchanged under a new name beside it
// ("Voduro.conf.damaged-<yyyyMMdd-HHmmss>"), and the settings are read from its sound lines
// alone: a damaged line gives its value's default, and the lines under a broken section line
// keep the section it names.
SettingsReadResult readSettings(Settings &settings);
