#include "dc09keys.h"

#include "accounts/accountnumbers.h"
#include "protocol/dc09receipt.h"

#include <QFile>
#include <QSaveFile>

namespace {

bool isNote(const QByteArray &text) {
    const QByteArray trimmed = text.trimmed();
    return trimmed.isEmpty() || trimmed.startsWith('#');
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// A key as written, or by mistake followed by blanks.
std::optional<QByteArray> keyOf(const QByteArray &written) {
    if (std::optional<QByteArray> key = dc09::parseKey(written))
        return key;
    return dc09::parseKey(written.trimmed());
}

bool belongsTo(const QByteArray &account, quint32 number) {
    return !account.isEmpty() && NumericalAccNum(account) == number;
}

} // namespace

Dc09Keys::Dc09Keys(QString path)
    : m_path(std::move(path)) {}

// A line of notes comes back with no account; one that is neither a note nor an account and a
// key does not come back.
std::optional<Dc09Keys::Line> Dc09Keys::parsed(const QByteArray &text) {
    if (isNote(text))
        return Line{text, {}, {}};
    qsizetype end = 0;
    while (end < text.size() && !isBlank(text.at(end)))
        ++end;
    qsizetype keyAt = end;
    while (keyAt < text.size() && isBlank(text.at(keyAt)))
        ++keyAt;
    const QByteArray account = text.left(end);
    const QByteArray key = text.mid(keyAt);
    if (account.isEmpty() || keyAt == end || !keyOf(key))
        return std::nullopt;
    return Line{text, account, key};
}

Dc09Keys::LoadResult Dc09Keys::load() {
    QFile file(m_path);
    QList<Line> lines;
    LoadResult result;
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return {file.errorString(), {}};
        int number = 0;
        for (QByteArray text : file.readAll().split('\n')) {
            ++number;
            if (text.endsWith('\r'))
                text.chop(1);
            // Kept as written, so that a save leaves it for the person who wrote it.
            const std::optional<Line> line = parsed(text);
            lines.append(line.value_or(Line{text, {}, {}}));
            if (!line)
                result.badLines.append(number);
        }
        if (!lines.isEmpty() && lines.last().text.isEmpty())
            lines.removeLast(); // the end of the last line
    }
    QMutexLocker locker(&m_mutex);
    m_lines = lines;
    rebuildLocked();
    return result;
}

// The first line of an account counts; a later one for the same account is skipped.
void Dc09Keys::rebuildLocked() {
    m_keys.clear();
    for (const Line &line : std::as_const(m_lines)) {
        if (!line.account.isEmpty() && !m_keys.contains(line.account))
            m_keys.insert(line.account, keyOf(line.key).value_or(QByteArray()));
    }
}

std::optional<QByteArray> Dc09Keys::key(const QByteArray &account) const {
    QMutexLocker locker(&m_mutex);
    const auto found = m_keys.constFind(account);
    if (found == m_keys.constEnd())
        return std::nullopt;
    return *found;
}

QByteArray Dc09Keys::keyText(quint32 number) const {
    QMutexLocker locker(&m_mutex);
    for (const Line &line : m_lines)
        if (belongsTo(line.account, number))
            return line.key;
    return {};
}

Dc09Keys::SaveResult Dc09Keys::setKeyText(quint32 number, const QByteArray &text) {
    if (!text.isEmpty() && !dc09::parseKey(text))
        return {false, QStringLiteral("Not a DC-09 key: 32, 48 or 64 hex digits, or 16, 24 or "
                                      "32 characters")};
    QMutexLocker locker(&m_mutex);
    const QList<Line> lines = editedLocked(number, text);
    const SaveResult saved = writeLocked(lines);
    if (saved.ok) {
        m_lines = lines;
        rebuildLocked();
    }
    return saved;
}

// Every line of the account takes the new key under the account text it was written with; an
// account without a line gets one under its own text.
QList<Dc09Keys::Line> Dc09Keys::editedLocked(quint32 number, const QByteArray &text) const {
    QList<Line> lines;
    bool found = false;
    for (const Line &line : m_lines) {
        if (!belongsTo(line.account, number)) {
            lines.append(line);
            continue;
        }
        found = true;
        if (!text.isEmpty())
            lines.append(Line{line.account + ' ' + text, line.account, text});
    }
    if (!found && !text.isEmpty()) {
        const QByteArray account = AccNumString(number);
        lines.append(Line{account + ' ' + text, account, text});
    }
    return lines;
}

Dc09Keys::SaveResult Dc09Keys::writeLocked(const QList<Line> &lines) const {
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    // Before any key is written: the keys are for the monitor's user alone.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    for (const Line &line : lines)
        file.write(line.text + "\r\n");
    if (!file.commit())
        return {false, file.errorString()};
    return {};
}
