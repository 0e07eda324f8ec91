#include "languages.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTranslator>
#include <memory>

namespace {

const QString filePrefix = QStringLiteral("voduro_");

struct Installed {
    QString language = Languages::english;
    std::unique_ptr<QTranslator> program;
    std::unique_ptr<QTranslator> qt; // Qt's own texts: standard buttons and the like
};

Installed &installed() {
    static Installed state;
    return state;
}

QString translationFile(const QString &language) {
    for (const QString &directory : Languages::searchDirectories()) {
        const QString path =
            QDir(directory).filePath(filePrefix + language + QStringLiteral(".qm"));
        if (QFile::exists(path))
            return path;
    }
    return QString();
}

void removeTranslators() {
    Installed &state = installed();
    for (auto *translator : {&state.program, &state.qt}) {
        if (*translator)
            QCoreApplication::removeTranslator(translator->get());
        translator->reset();
    }
    state.language = Languages::english;
}

} // namespace

namespace Languages {

QStringList searchDirectories() {
    QStringList directories{
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"))};
    directories += QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                             QStringLiteral("voduro/translations"),
                                             QStandardPaths::LocateDirectory);
    return directories;
}

QStringList available() {
    QStringList found;
    for (const QString &directory : searchDirectories()) {
        const QStringList files = QDir(directory).entryList({filePrefix + QStringLiteral("*.qm")},
                                                            QDir::Files | QDir::Readable);
        for (const QString &file : files) {
            const QString language = file.mid(filePrefix.size()).chopped(3);
            if (!language.isEmpty() && language != english && !found.contains(language))
                found.append(language);
        }
    }
    found.sort();
    return QStringList{english} + found;
}

QString displayName(const QString &language) {
    if (language == english)
        return QStringLiteral("English");
    const QString name = QLocale(language).nativeLanguageName();
    return name.isEmpty() ? language : name;
}

QString choose(const QString &storedChoice) {
    const QStringList languages = available();
    if (languages.contains(storedChoice))
        return storedChoice;
    for (const QString &wanted : QLocale::system().uiLanguages()) {
        const QString language = QLocale(wanted).name().section(u'_', 0, 0);
        if (languages.contains(wanted))
            return wanted;
        if (languages.contains(language))
            return language;
    }
    return english;
}

bool install(const QString &language) {
    removeTranslators();
    if (language == english || language.isEmpty())
        return true;
    auto program = std::make_unique<QTranslator>();
    const QString file = translationFile(language);
    if (file.isEmpty() || !program->load(file))
        return false;
    Installed &state = installed();
    QCoreApplication::installTranslator(program.get());
    state.program = std::move(program);
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        state.qt = std::move(qt);
    }
    state.language = language;
    return true;
}

QString current() {
    return installed().language;
}

} // namespace Languages
