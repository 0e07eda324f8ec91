#pragma once

#include <QString>
#include <optional>

// Integer conversion of the texts typed into settings fields. Leading and trailing blanks are
// allowed, anything else that is not a decimal integer fails.
std::optional<int> integerFromText(const QString &text);

// The error text of a failed conversion: "'<text>' is not a valid integer value".
QString notAnIntegerMessage(const QString &text);

// A settings number brought into the range its user can work with.
struct BoundedInteger {
    int value = 0;
    bool clamped = false; // the text held a number outside the range
};

// Converts like integerFromText, but a number outside [minimum, maximum], even one beyond the
// range of int, gives the nearest bound instead of a value that would overflow or be cut where
// it is used.
std::optional<BoundedInteger> boundedIntegerFromText(const QString &text, int minimum, int maximum);

// The error text of a clamped number: "'<text>' is out of range <min>..<max>; <used> is used".
QString outOfRangeMessage(const QString &text, const BoundedInteger &bounded, int minimum,
                          int maximum);
