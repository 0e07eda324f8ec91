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
std::optional<dc09::AccountKey> keyOf(const QByteArray &written) {
    if (std::optional<dc09::AccountKey> key = dc09::parseAccountKey(written))
        return key;
    return dc09::parseAccountKey(written.trimmed());
}

// An account as the panels' DC-09 headers give it: hex, in either case.
std::optional<quint32> numberOf(const QByteArray &account) {
    return NumericalAccNum(account.toUpper());
}

bool belongsTo(const QByteArray &account, quint32 number) {
    return !account.isEmpty() && numberOf(account) == number;
}

bool readableByOthers([[maybe_unused]] const QFile &file) {
#ifdef Q_OS_UNIX
    return (file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther)) != 0;
#else
    return false;
#endif
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
    QSet<QByteArray> badTexts;
    LoadResult result;
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return {file.errorString(), {}};
        result.exposed = readableByOthers(file);
        int number = 0;
        for (QByteArray text : file.readAll().split('\n')) {
            ++number;
            if (text.endsWith('\r'))
                text.chop(1);
            // Kept as written, so that a save leaves it for the person who wrote it.
            const std::optional<Line> line = parsed(text);
            lines.append(line.value_or(Line{text, {}, {}}));
            if (!line) {
                result.badLines.append(number);
                badTexts.insert(text);
            }
        }
        if (!lines.isEmpty() && lines.last().text.isEmpty())
            lines.removeLast(); // the end of the last line
    }
    QMutexLocker locker(&m_mutex);
    // A file read while it is being written (cut short, a line half typed) must not take keys
    // away from panels meanwhile: a bad line the keys in use were read with is no such sign.
    result.keptPrevious = m_loaded && !m_badTexts.contains(badTexts);
    if (result.keptPrevious)
        return result;
    m_loaded = true;
    m_badTexts = badTexts;
    m_lines = lines;
    rebuildLocked();
    return result;
}

// The first line of an account counts, under its text and under its number; a later one for the
// same account is skipped.
void Dc09Keys::rebuildLocked() {
    m_byText.clear();
    m_byNumber.clear();
    m_otherReadingNoted.clear();
    for (const Line &line : std::as_const(m_lines)) {
        if (line.account.isEmpty())
            continue;
        const dc09::AccountKey key = keyOf(line.key).value_or(dc09::AccountKey{{}});
        const QByteArray text = line.account.toUpper();
        if (!m_byText.contains(text))
            m_byText.insert(text, key);
        const std::optional<quint32> number = numberOf(text);
        if (number && !m_byNumber.contains(*number))
            m_byNumber.insert(*number, key);
    }
}

QList<QByteArray> Dc09Keys::accountTexts() const {
    QMutexLocker lock(&m_mutex);
    QList<QByteArray> texts;
    for (const Line &line : m_lines) {
        if (!line.account.isEmpty())
            texts.append(line.account);
    }
    return texts;
}

std::optional<QByteArray> Dc09Keys::key(const QByteArray &account) const {
    const std::optional<dc09::AccountKey> found = accountKey(account);
    return found ? std::optional<QByteArray>(found->key) : std::nullopt;
}

std::optional<dc09::AccountKey> Dc09Keys::accountKey(const QByteArray &account) const {
    const QByteArray text = account.toUpper();
    const std::optional<quint32> number = numberOf(text);
    QMutexLocker locker(&m_mutex);
    const auto byText = m_byText.constFind(text);
    if (byText != m_byText.constEnd())
        return *byText;
    const auto byNumber = number ? m_byNumber.constFind(*number) : m_byNumber.constEnd();
    if (byNumber != m_byNumber.constEnd())
        return *byNumber;
    return std::nullopt;
}

bool Dc09Keys::hasKey(quint32 number) const {
    QMutexLocker locker(&m_mutex);
    return m_byNumber.contains(number);
}

bool Dc09Keys::firstOtherReading(const QByteArray &account) const {
    QMutexLocker locker(&m_mutex);
    const QByteArray text = account.toUpper();
    if (m_otherReadingNoted.contains(text))
        return false;
    m_otherReadingNoted.insert(text);
    return true;
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
        return {false,
                QStringLiteral("Not a DC-09 key: 32, 48 or 64 hex digits, or 16, 24 or "
                               "32 characters (\"hex:\" or \"text:\" before them says which)")};
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
