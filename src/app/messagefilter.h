#pragma once

#include <QLoggingCategory>

// The program's own messages for standard error (a stored file it could not use, and the like).
Q_DECLARE_LOGGING_CATEGORY(monitorMessages)

// Keeps Qt's own debug messages and warnings (a socket written to too early, a font not found)
// off standard error, where a service manager's journal keeps every line and an operator can do
// nothing about them. The program's own messages pass, and so do Qt's critical and fatal ones.
// With `showQtMessages` (the --debug-qt switch) everything passes, as without this filter.
// Call it once, before any application object exists.
void filterQtMessages(bool showQtMessages);
