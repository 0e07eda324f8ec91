#pragma once

// Loads the language for this run before any window exists: the operator's stored choice, else
// the system's language where a translation exists, else English.
void startLanguageLayer();
