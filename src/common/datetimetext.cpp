#include "datetimetext.h"

#include <QLocale>
#include <QMutex>
#include <QRegularExpression>

namespace {

QMutex clockMutex;
Clock::NowFunction nowFunction;

// Removes the time-zone fields ("t", "tt", "ttt", "tttt") from a time format, with the blanks
// around them, so that the text does not end in a zone name.
QString withoutTimeZone(QString format) {
    static const QRegularExpression zone(QStringLiteral("\\s*t+\\s*"));
    format.replace(zone, QStringLiteral(" "));
    return format.trimmed();
}

} // namespace

QString dateTimeText(const QDateTime &moment) {
    const QLocale locale = QLocale::system();
    QString text = locale.toString(moment.date(), QLocale::ShortFormat);
    if (moment.time() != QTime(0, 0, 0)) {
        text += QLatin1Char(' ');
        text +=
            locale.toString(moment.time(), withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
    }
    return text;
}

QString nowText() {
    {
        QMutexLocker lock(&clockMutex);
        if (nowFunction)
            return dateTimeText(nowFunction());
    }
    thread_local qint64 madeInSecond = -1;
    thread_local QString made;
    const qint64 second = QDateTime::currentMSecsSinceEpoch() / 1000;
    if (second != madeInSecond) {
        made = dateTimeText(QDateTime::currentDateTime());
        madeInSecond = second;
    }
    return made;
}

QDateTime Clock::now() {
    QMutexLocker lock(&clockMutex);
    return nowFunction ? nowFunction() : QDateTime::currentDateTime();
}

QDateTime Clock::nowUtc() {
    QMutexLocker lock(&clockMutex);
    return nowFunction ? nowFunction().toUTC() : QDateTime::currentDateTimeUtc();
}

void Clock::setNowFunction(NowFunction function) {
    QMutexLocker lock(&clockMutex);
    nowFunction = std::move(function);
}
