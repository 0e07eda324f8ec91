#include "integertext.h"

#include <algorithm>

std::optional<int> integerFromText(const QString &text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

QString notAnIntegerMessage(const QString &text) {
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

std::optional<BoundedInteger> boundedIntegerFromText(const QString &text, int minimum,
                                                     int maximum) {
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    const qlonglong bounded = std::clamp<qlonglong>(value, minimum, maximum);
    return BoundedInteger{static_cast<int>(bounded), bounded != value};
}

QString outOfRangeMessage(const QString &text, const BoundedInteger &bounded, int minimum,
                          int maximum) {
    return QStringLiteral("'%1' is out of range %2..%3; %4 is used")
        .arg(text)
        .arg(minimum)
        .arg(maximum)
        .arg(bounded.value);
}
