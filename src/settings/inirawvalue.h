#pragma once

#include <QString>
#include <optional>

// The text of `key` in `section` of an INI file as it stands on its line: everything after the
// "=" up to a comment (";" outside double quotes), blanks at both ends trimmed, no escapes or
// quotes undone. Section and key names are matched after undoing the INI name escapes
// ("%20" for a blank). The last line of the key counts. Empty when the file, the section or
// the key is missing.
std::optional<QString> rawIniValue(const QString &fileName, const QString &section,
                                   const QString &key);
