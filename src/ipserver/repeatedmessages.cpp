#include "repeatedmessages.h"

#include "common/datetimetext.h"
#include "common/steadyclock.h"

#include <QCryptographicHash>
#include <QSaveFile>
#include <algorithm>

namespace {

// Keys are kept as digests: a fixed size in memory and no alarm text in the file.
constexpr qsizetype digestSize = 16;
// The file is written anew once it holds this many lines more than there are claims.
constexpr qsizetype rewriteSlack = 10000;

QByteArray digestOf(const QByteArray &key) {
    return QCryptographicHash::hash(key, QCryptographicHash::Sha256).left(digestSize);
}

qint64 wallMs() {
    return Clock::now().toMSecsSinceEpoch();
}

// One kept claim: "<wall ms> <c|e> <digest>[,<digest>...]", "c" for a capped claim.
QByteArray lineOf(qint64 wall, bool capped, const QList<QByteArray> &digests) {
    QByteArrayList hex;
    for (const QByteArray &digest : digests)
        hex.append(digest.toHex());
    return QByteArray::number(wall) + (capped ? " c " : " e ") + hex.join(',') + '\n';
}

struct KeptClaim {
    qint64 wall = 0;
    bool capped = true;
    QList<QByteArray> digests;
};

std::optional<KeptClaim> parsedLine(const QByteArray &line) {
    const QList<QByteArray> fields = line.trimmed().split(' ');
    if (fields.size() != 3 || (fields.at(1) != "c" && fields.at(1) != "e"))
        return std::nullopt;
    KeptClaim kept;
    bool ok = false;
    kept.wall = fields.at(0).toLongLong(&ok);
    kept.capped = fields.at(1) == "c";
    for (const QByteArray &hex : fields.at(2).split(',')) {
        const QByteArray digest = QByteArray::fromHex(hex);
        if (digest.size() != digestSize || digest.toHex() != hex.toLower())
            return std::nullopt;
        kept.digests.append(digest);
    }
    return ok ? std::optional<KeptClaim>(kept) : std::nullopt;
}

} // namespace

RepeatedMessages::RepeatedMessages(qint64 windowMs, qsizetype capacity)
    : m_windowMs(windowMs)
    , m_capacity(capacity) {}

RepeatedMessages::Seen RepeatedMessages::repeatOrClaim(const QList<QByteArray> &keys, qint64 nowMs,
                                                       bool capped) {
    QList<QByteArray> digests;
    for (const QByteArray &key : keys)
        digests.append(digestOf(key));
    QMutexLocker locker(&m_mutex);
    forgetOldLocked(nowMs);
    for (const QByteArray &digest : std::as_const(digests)) {
        const auto found = m_index.constFind(digest);
        if (found != m_index.constEnd())
            return Seen{true, *found, m_claims.at(*found).ticket};
    }
    while (capped && m_capped > 0 && m_capped >= m_capacity)
        dropOldestCappedLocked();
    return Seen{false, insertLocked(Claim{nowMs, wallMs(), digests, std::nullopt, capped}), {}};
}

void RepeatedMessages::written(quint64 claim, quint64 ticket) {
    QMutexLocker locker(&m_mutex);
    const auto found = m_claims.find(claim);
    if (found != m_claims.end())
        found->second.ticket = ticket;
}

// Only a message on the disk is kept in the file: after a restart a repeat of one is answered
// without being stored again, which must not cost an alarm that never reached the disk.
void RepeatedMessages::settle(quint64 claim) {
    QMutexLocker locker(&m_mutex);
    const auto found = m_claims.find(claim);
    if (found == m_claims.end() || found->second.settled)
        return;
    found->second.settled = true;
    keepLocked(found->second);
}

void RepeatedMessages::release(quint64 claim) {
    QMutexLocker locker(&m_mutex);
    dropLocked(claim);
}

qsizetype RepeatedMessages::size() const {
    QMutexLocker locker(&m_mutex);
    return qsizetype(m_claims.size());
}

QString RepeatedMessages::open(const QString &path, qint64 nowMs) {
    QMutexLocker locker(&m_mutex);
    m_file.close();
    m_file.setFileName(path);
    QFile existing(path);
    QList<KeptClaim> kept;
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly))
            return existing.errorString();
        for (const QByteArray &line : existing.readAll().split('\n')) {
            if (const std::optional<KeptClaim> claim = parsedLine(line))
                kept.append(*claim);
        }
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const KeptClaim &a, const KeptClaim &b) { return a.wall < b.wall; });
    const qint64 now = wallMs();
    for (const KeptClaim &claim : std::as_const(kept)) {
        // A claim from a clock set back since is taken as new rather than forgotten.
        const qint64 age = std::max<qint64>(now - claim.wall, 0);
        if (age < m_windowMs)
            insertLocked(
                Claim{nowMs - age, claim.wall, claim.digests, quint64(0), claim.capped, true});
    }
    while (m_capped > m_capacity)
        dropOldestCappedLocked();
    // A file with lines is written anew without those gone by; a new or empty one is only
    // opened, so that a start costs no flush for it.
    if (existing.size() > 0)
        rewriteLocked();
    else
        m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    return m_file.isOpen() ? QString() : m_file.errorString();
}

void RepeatedMessages::forgetOldLocked(qint64 nowMs) {
    while (!m_claims.empty() && nowMs - m_claims.begin()->second.at >= m_windowMs)
        dropLocked(m_claims.begin()->first);
    while (!m_cappedOrder.empty() && !m_claims.contains(m_cappedOrder.front()))
        m_cappedOrder.pop_front();
}

void RepeatedMessages::dropLocked(quint64 serial) {
    const auto found = m_claims.find(serial);
    if (found == m_claims.end())
        return;
    for (const QByteArray &digest : std::as_const(found->second.digests)) {
        const auto indexed = m_index.constFind(digest);
        if (indexed != m_index.constEnd() && *indexed == serial)
            m_index.erase(indexed);
    }
    if (found->second.capped)
        --m_capped;
    m_claims.erase(found);
}

void RepeatedMessages::dropOldestCappedLocked() {
    while (!m_cappedOrder.empty()) {
        const quint64 serial = m_cappedOrder.front();
        m_cappedOrder.pop_front();
        if (m_claims.contains(serial)) {
            dropLocked(serial);
            return;
        }
    }
}

quint64 RepeatedMessages::insertLocked(Claim claim) {
    const quint64 serial = ++m_nextSerial;
    for (const QByteArray &digest : std::as_const(claim.digests))
        m_index.insert(digest, serial);
    if (claim.capped) {
        m_cappedOrder.push_back(serial);
        ++m_capped;
    }
    m_claims.emplace(serial, std::move(claim));
    return serial;
}

// A line that cannot be written costs only the memory of this claim after a restart.
void RepeatedMessages::keepLocked(const Claim &claim) {
    if (!m_file.isOpen())
        return;
    m_file.write(lineOf(claim.wallMs, claim.capped, claim.digests));
    if (++m_fileLines > qsizetype(m_claims.size()) + rewriteSlack)
        rewriteLocked();
}

// Written aside and renamed into place, with the settled claims still standing. When that
// fails, lines go on being added to the file as it is.
void RepeatedMessages::rewriteLocked() {
    if (m_file.fileName().isEmpty())
        return;
    QSaveFile next(m_file.fileName());
    qsizetype lines = 0;
    bool written = next.open(QIODevice::WriteOnly);
    for (auto it = m_claims.cbegin(); written && it != m_claims.cend(); ++it) {
        if (it->second.settled) {
            next.write(lineOf(it->second.wallMs, it->second.capped, it->second.digests));
            ++lines;
        }
    }
    written = written && next.commit();
    if (written)
        m_file.close();
    if (!m_file.isOpen() &&
        m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        m_fileLines = written ? lines : m_fileLines;
}
