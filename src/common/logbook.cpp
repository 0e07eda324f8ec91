#include "logbook.h"

#include "datetimetext.h"
#include "integertext.h"
#include "namedlocks.h"

#include <QDir>
#include <QFile>

LogBook::LogBook(QString directory, QObject *parent)
    : QObject(parent)
    , m_directory(std::move(directory)) {}

QString LogBook::filePath(const QString &fileName) const {
    return m_directory.isEmpty() ? fileName : QDir(m_directory).filePath(fileName);
}

bool LogBook::Append_Message(const QString &fileName, const QByteArray &line) {
    if (!m_saveEnabled)
        return true;
    return appendLine(fileName, line);
}

bool LogBook::appendStamped(const QString &fileName, const QByteArray &text) {
    if (!m_saveEnabled)
        return true;
    return appendLine(fileName, stampedLine(text));
}

bool LogBook::log_connection(const QString &message) {
    if (!m_connectionLogEnabled && message != QLatin1String("Logging Stopped"))
        return true;
    return appendLine(ConnectionLog, nowText().toLocal8Bit() + " - " + message.toLatin1());
}

bool LogBook::logConversionFailure(const QString &text) {
    return logConversionFailure(text, notAnIntegerMessage(text));
}

bool LogBook::logConversionFailure(const QString &text, const QString &error) {
    const QByteArray entry = "[" + error.toLatin1() + "] " + text.toLatin1();
    return Append_Message(ConversionLog, stampedLine(entry) + "\r\n");
}

bool LogBook::logStoreFailure(const QString &error, const QString &subject) {
    const QString entry = QLatin1Char('[') + error + QStringLiteral("] ") + subject;
    return appendLine(ConversionLog, stampedLine(entry.toLocal8Bit()) + "\r\n");
}

bool LogBook::logCleared(const QString &queueName, const QList<QByteArray> &items) {
    if (items.isEmpty())
        return true;
    const QByteArray prefix = stampedLine(queueName.toLatin1() + ": ");
    QByteArray lines;
    for (const QByteArray &item : items) {
        if (!lines.isEmpty())
            lines += "\r\n";
        lines += prefix + item;
    }
    return appendLine(ClearedLog, lines);
}

bool LogBook::appendLine(const QString &fileName, const QByteArray &line) {
    const QByteArray bytes = line + "\r\n";
    QString error;
    {
        NamedLockGuard guard(NamedLocks::Logs);
        QFile file(filePath(fileName));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            error = file.errorString();
        } else {
            const qint64 before = file.size();
            if (file.write(bytes) != bytes.size() || !file.flush()) {
                error = file.errorString();
                file.resize(before); // a line is written whole or not at all
            }
            file.close();
        }
    }
    if (error.isEmpty())
        return true;
    emit failed(fileName, error);
    return false;
}

QByteArray stampedLine(const QByteArray &text) {
    return nowText().toLocal8Bit() + " -- " + text;
}
