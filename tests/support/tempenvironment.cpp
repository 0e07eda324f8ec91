#include "tempenvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>

TempEnvironment::TempEnvironment()
    : m_oldWorkingDirectory(QDir::currentPath()) {
    QDir::setCurrent(m_dir.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       m_dir.filePath(QStringLiteral("config")));
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toLocal8Bit());
}

TempEnvironment::~TempEnvironment() {
    QDir::setCurrent(m_oldWorkingDirectory);
}

QString TempEnvironment::settingsFile() const {
    return m_dir.filePath(QStringLiteral("config/Voduro.conf"));
}

QByteArray TempEnvironment::readFile(const QString &name) const {
    QFile file(m_dir.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TempEnvironment::fileExists(const QString &name) const {
    return QFile::exists(m_dir.filePath(name));
}

bool TempEnvironment::writeSettings(const QByteArray &ini) const {
    QDir().mkpath(m_dir.filePath(QStringLiteral("config")));
    QFile file(settingsFile());
    return file.open(QIODevice::WriteOnly) && file.write(ini) == ini.size();
}

void TempEnvironment::prepareProgram(QProcess &process) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir.path());
}

QString TempEnvironment::storedValue(const QString &key) const {
    QSettings store(settingsFile(), QSettings::IniFormat);
    return store.value(key).toString();
}
