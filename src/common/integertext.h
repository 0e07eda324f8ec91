#pragma once

#include <QString>
#include <optional>

// Integer conversion of the texts typed into settings fields. Leading and trailing blanks are
// allowed, anything else that is not a decimal integer fails.
std::optional<int> integerFromText(const QString &text);

// The error text of a failed conversion: "'<text>' is not a valid integer value".
QString notAnIntegerMessage(const QString &text);
