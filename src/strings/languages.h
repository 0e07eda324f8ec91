#pragma once

#include <QString>
#include <QStringList>

// The language layer: the program's own texts are English; a compiled translation
// "voduro_<language>.qm" found in "translations" beside the program or in
// "<data directory>/voduro/translations" replaces them for the whole run. The language is chosen
// once, before the windows are created; a change takes effect at the next start.
namespace Languages {

inline const QString english = QStringLiteral("en");

// Where translations are looked for, first match wins.
QStringList searchDirectories();
// English and every language with a compiled translation, English first, the rest sorted.
QStringList available();
// The language's own name for itself ("English", "Deutsch").
QString displayName(const QString &language);
// The language for this start: the stored choice when its translation exists, else the first of
// the system's languages that has one, else English.
QString choose(const QString &storedChoice);
// Loads the language's translation (English removes any); false when it cannot be loaded, and
// the texts stay English.
bool install(const QString &language);
// The language installed now.
QString current();

} // namespace Languages
