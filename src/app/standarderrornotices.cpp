#include "standarderrornotices.h"

#include <QDateTime>

#include <cstdio>

void StandardErrorNotices::write(const QString &title, const QString &text) {
    QString flat = text;
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
    flat.remove(QLatin1Char('\r'));
    const QString line =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss ")) + title +
        QStringLiteral(": ") + flat + QLatin1Char('\n');
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

bool StandardErrorNotices::question(const QString &title, const QString &text) {
    write(title, text + QStringLiteral(" -- answered No, no operator"));
    return false;
}

void StandardErrorNotices::notice(const QString &title, const QString &text) {
    write(title, text);
}

void StandardErrorNotices::backgroundNotice(const QString &title, const QString &text) {
    write(title, text);
}
