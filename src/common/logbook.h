#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <atomic>

// The log files of the working directory. Each append opens the file, writes one whole line with
// CR LF and closes it again, under the "LogSemaphore" lock, so writers on any thread never
// interleave. Safe to call from any thread.
class LogBook : public QObject {
    Q_OBJECT
public:
    static inline const QString RxLog = QStringLiteral("Rx_Log.TXT");
    static inline const QString TxLog = QStringLiteral("Tx_Log.TXT");
    static inline const QString IpLog = QStringLiteral("IP_logFile.TXT");
    static inline const QString AckLog = QStringLiteral("IP_ACK_log.TXT");
    static inline const QString ConversionLog = QStringLiteral("IP_EXPlog.TXT");
    static inline const QString ConnectionLog = QStringLiteral("Connection_log.txt");
    static inline const QString ClearedLog = QStringLiteral("Cleared_log.TXT");

    explicit LogBook(QString directory = QString(), QObject *parent = nullptr);

    // "Save Data in LOG Files": gates every file but the connection log.
    void setSaveEnabled(bool enabled) { m_saveEnabled = enabled; }
    bool saveEnabled() const { return m_saveEnabled; }
    // "Log Connections": gates the connection log.
    void setConnectionLogEnabled(bool enabled) { m_connectionLogEnabled = enabled; }

    // Appends line + CR LF to the file while saving is on. Returns false when the line could not
    // be written (it is then dropped, and failed() is emitted).
    bool Append_Message(const QString &fileName, const QByteArray &line);
    // date-time + " -- " + text, the form of nearly every log line.
    bool appendStamped(const QString &fileName, const QByteArray &text);
    // date-time + " - " + message to the connection log; "Logging Stopped" is written even while
    // connection logging is off.
    bool log_connection(const QString &message);
    // A settings text that did not convert to an integer: the entry carries an extra CR LF.
    bool logConversionFailure(const QString &text);
    // The same entry with another error text (a number out of range).
    bool logConversionFailure(const QString &text, const QString &error);
    // A stored file that could not be used at start-up (settings, accounts), in the form of the
    // entries above: "[" + error + "] " + subject. Written whatever the save switch says: the
    // operator's own data is at stake, and the switch may have been lost with a damaged line.
    bool logStoreFailure(const QString &error, const QString &subject);

    // Items an operator cleared from a queue before their delivery, one line each: date-time +
    // " -- " + the queue's name + ": " + the item. Written whatever the save switch says, all
    // lines or none; false when they could not be written.
    bool logCleared(const QString &queueName, const QList<QByteArray> &items);

    QString filePath(const QString &fileName) const;

signals:
    // A log file could not be written; emitted from the writing thread.
    void failed(const QString &fileName, const QString &error);

private:
    bool appendLine(const QString &fileName, const QByteArray &line);

    QString m_directory;
    std::atomic<bool> m_saveEnabled{false};
    std::atomic<bool> m_connectionLogEnabled{false};
};

// Text of a log line: Latin-1 for the message bytes, the local encoding for the date-time.
QByteArray stampedLine(const QByteArray &text);
