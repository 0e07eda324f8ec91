#include "fuzzentries.h"
#include "fuzzinput.h"

#include "settings/inilinecheck.h"
#include "settings/inirawvalue.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

QString writtenAs(const QByteArray &content) {
    static QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("Voduro.conf"));
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(content) == content.size());
    return path;
}

// The line check: damaged lines named in order, within the file, and what it keeps is sound.
void checkLines(const QByteArray &content) {
    const IniLineCheck check = checkIniLines(content);
    const qsizetype lineCount = content.count('\n') + 1;
    int previous = 0;
    for (const IniLineCheck::Damage &damage : check.damaged) {
        FUZZ_CHECK(damage.line > previous && damage.line <= lineCount);
        FUZZ_CHECK(!damage.what.isEmpty());
        previous = damage.line;
    }
    FUZZ_CHECK(check.damaged.isEmpty() == check.description().isEmpty());
    FUZZ_CHECK(checkIniLines(check.soundText).damaged.isEmpty());
}

// The raw-value reader on the names the file itself uses: a value never spans a line.
void checkRawValues(const QByteArray &content) {
    const QString path = writtenAs(content);
    QString section = QStringLiteral("General");
    for (const QByteArray &line : content.split('\n')) {
        if (line.startsWith('[') && line.contains(']')) {
            section = QString::fromLatin1(line.mid(1, line.indexOf(']') - 1));
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        const auto value = rawIniValue(path, section, QString::fromLatin1(line.left(equals)));
        FUZZ_CHECK(!value || !value->contains(QLatin1Char('\n')));
    }
    FUZZ_CHECK(!rawIniValue(path, QString(), QString()).value_or(QString()).contains(u'\n'));
}

} // namespace

namespace fuzzentries {

void settingsFile(const QByteArray &input) {
    checkLines(input);
    checkRawValues(input);
}

} // namespace fuzzentries
