#include "inilinecheck.h"

#include <QStringDecoder>
#include <QStringList>

namespace {

// The escapes the INI reader undoes after a backslash; it drops a backslash with any other
// character, and a backslash at the end of a line joins the next line to it.
bool knownEscape(char ch) {
    return QByteArrayView("abfnrtv\"?'\\x01234567").contains(ch);
}

// What is wrong with the value of a "name=value" line; empty when nothing is.
QString valueFault(QByteArrayView value) {
    bool quoted = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char ch = value[i];
        if (ch == '\\') {
            if (i + 1 == value.size())
                return QStringLiteral("ends in \"\\\", which joins the next line to it");
            if (!knownEscape(value[++i]))
                return QStringLiteral("\"\\\" before a character it cannot escape");
        } else if (ch == '"') {
            quoted = !quoted;
        } else if (ch == ';' && !quoted) {
            break; // a comment follows
        }
    }
    return quoted ? QStringLiteral("quote not closed") : QString();
}

QString keyLineFault(QByteArrayView line) {
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return QStringLiteral("no \"=\"");
    if (line.first(equals).trimmed().isEmpty())
        return QStringLiteral("no name before \"=\"");
    return valueFault(line.sliced(equals + 1).trimmed());
}

// A section line "[name]", optionally followed by a comment. `name` is what the reader takes
// as the section's name either way.
QString sectionLineFault(QByteArrayView line, QByteArray &name) {
    const qsizetype close = line.indexOf(']');
    name = (close < 0 ? line.sliced(1) : line.sliced(1, close - 1)).trimmed().toByteArray();
    if (close < 0)
        return QStringLiteral("section line not closed by \"]\"");
    const QByteArrayView rest = line.sliced(close + 1).trimmed();
    if (!rest.isEmpty() && !rest.startsWith(';'))
        return QStringLiteral("text after the section line's \"]\"");
    if (name.isEmpty())
        return QStringLiteral("section line without a name");
    return QString();
}

bool isUtf8(QByteArrayView line) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    [[maybe_unused]] const QString text = decoder.decode(line);
    return !decoder.hasError();
}

// Checks one line; appends it, or what stands for it, to the sound text unless it is damaged.
QString checkLine(QByteArrayView line, QByteArray &soundText) {
    line = line.trimmed();
    if (!isUtf8(line))
        return QStringLiteral("not UTF-8 text");
    if (line.isEmpty() || line.startsWith(';')) {
        soundText += line;
    } else if (line.startsWith('[')) {
        QByteArray name;
        const QString fault = sectionLineFault(line, name);
        soundText += '[' + (name.isEmpty() ? QByteArray("General") : name) + ']';
        soundText += '\n';
        return fault;
    } else if (const QString fault = keyLineFault(line); !fault.isEmpty()) {
        return fault;
    } else {
        soundText += line;
    }
    soundText += '\n';
    return QString();
}

} // namespace

IniLineCheck checkIniLines(const QByteArray &content) {
    IniLineCheck check;
    QByteArray text = content;
    text.replace("\r\n", "\n").replace('\r', '\n');
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString fault = checkLine(lines[i], check.soundText);
        if (!fault.isEmpty())
            check.damaged.append({i + 1, fault});
    }
    return check;
}

QString IniLineCheck::description() const {
    QStringList parts;
    for (const Damage &damage : damaged)
        parts.append(QStringLiteral("line %1: %2").arg(damage.line).arg(damage.what));
    return parts.join(QStringLiteral("; "));
}
