#pragma once

#include <QString>

class QProcess;
#include <QTemporaryDir>

// A temporary working directory and settings location for one test: the process works in it and
// the settings store (Voduro.conf) lands in it. Restores the old working directory at the end.
class TempEnvironment {
public:
    TempEnvironment();
    ~TempEnvironment();

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    QString settingsFile() const;                   // where the settings store lives
    QByteArray readFile(const QString &name) const; // empty when missing
    bool fileExists(const QString &name) const;
    // Writes the settings store by hand, as an operator's editor would; false when it fails.
    bool writeSettings(const QByteArray &ini) const;
    // A value as the settings store holds it now ("Logic/TCP Open"); empty when missing.
    QString storedValue(const QString &key) const;
    // Makes `process` run the program here, with its settings here and no display needed.
    void prepareProgram(QProcess &process) const;

private:
    QTemporaryDir m_dir;
    QString m_oldWorkingDirectory;
};
