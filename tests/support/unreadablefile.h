#pragma once

#include <QString>

// Puts at `path` something that exists but cannot be opened for reading by anyone, root
// included: a Unix socket. A later write by rename would replace it. False when it cannot be
// made.
bool makeUnreadableFile(const QString &path);
