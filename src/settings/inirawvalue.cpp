#include "inirawvalue.h"

#include <QFile>
#include <QStringList>

namespace {

// Undoes the escapes the INI format applies to section and key names: "%XX" and "%UXXXX" for
// a character, "\" for "/".
QString unescapedName(QStringView text) {
    QString result;
    for (qsizetype i = 0; i < text.size();) {
        const QChar ch = text[i];
        if (ch == u'\\') {
            result += u'/';
            ++i;
            continue;
        }
        if (ch == u'%' && i + 1 < text.size()) {
            const qsizetype first = text[i + 1] == u'U' ? i + 2 : i + 1;
            const qsizetype digits = text[i + 1] == u'U' ? 4 : 2;
            bool ok = false;
            const ushort code = first + digits <= text.size()
                                    ? text.mid(first, digits).toUShort(&ok, 16)
                                    : ushort(0);
            if (ok) {
                result += QChar(code);
                i = first + digits;
                continue;
            }
        }
        result += ch;
        ++i;
    }
    return result;
}

// A section line "[name]": its unescaped name, empty for the general section.
QString sectionName(QStringView line) {
    const qsizetype close = line.indexOf(u']');
    const QStringView name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
    if (name.compare(u"general", Qt::CaseInsensitive) == 0)
        return QString();
    return unescapedName(name);
}

QString valueUpToComment(QStringView text) {
    bool quoted = false;
    qsizetype end = 0;
    for (; end < text.size(); ++end) {
        if (text[end] == u'"')
            quoted = !quoted;
        else if (text[end] == u';' && !quoted)
            break;
    }
    return text.left(end).trimmed().toString();
}

} // namespace

std::optional<QString> rawIniValue(const QString &fileName, const QString &section,
                                   const QString &key) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QString content = QString::fromUtf8(file.readAll());
    content.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QString current;
    std::optional<QString> found;
    for (const QString &line : content.split(u'\n')) {
        const QStringView text = QStringView(line).trimmed();
        if (text.startsWith(u'[')) {
            current = sectionName(text);
            continue;
        }
        const qsizetype equals = text.indexOf(u'=');
        if (equals <= 0 || text.startsWith(u';') || current != section)
            continue;
        if (unescapedName(text.left(equals).trimmed()) == key)
            found = valueUpToComment(text.mid(equals + 1));
    }
    return found;
}
