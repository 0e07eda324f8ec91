#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

// The date-time text used in every list row and log line: the locale's short date, a blank and
// its long time, without a time-zone suffix. The time is left out at exactly midnight.
QString dateTimeText(const QDateTime &moment);

// The clock behind "now". Tests install a fixed or stepping clock; the program uses the system one.
class Clock {
public:
    using NowFunction = std::function<QDateTime()>;
    static QDateTime now();
    // The same moment in UTC; the system clock's without a look at the time-zone file.
    static QDateTime nowUtc();
    static void setNowFunction(NowFunction function); // an empty function restores the system clock
};

// The text of the current moment. The system clock's text is made once a second per thread:
// asking for the local time costs the system a look at the time-zone file every time, and a
// busy receiver asks for it on every message.
QString nowText();
