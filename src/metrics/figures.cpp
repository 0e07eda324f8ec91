#include "figures.h"

Figures &figures() {
    static Figures processFigures;
    return processFigures;
}

// Called on every journal write: a success costs one atomic store, only a failure the lock.
void Figures::journalWritten(bool ok, const QString &error) {
    if (ok) {
        m_journalOk.store(true);
        return;
    }
    QMutexLocker lock(&m_textMutex);
    m_journalError = error;
    m_journalOk.store(false);
}

HealthVerdict Figures::health(qint64 steadyNowNs) const {
    const qint64 lastTick = m_lastTickNs.load();
    if (lastTick < 0)
        return {false, QStringLiteral("starting")};
    if (steadyNowNs - lastTick > tickStalledNs)
        return {false, QStringLiteral("engine tick stalled for %1 s")
                           .arg((steadyNowNs - lastTick) / 1'000'000'000)};
    if (!m_journalOk.load()) {
        QMutexLocker lock(&m_textMutex);
        return {false, QStringLiteral("queue journal cannot be written: %1").arg(m_journalError)};
    }
    return {true, QStringLiteral("OK")};
}

void Figures::setStatusText(const QString &text) {
    QMutexLocker lock(&m_textMutex);
    m_statusText = text;
}

QString Figures::statusText() const {
    QMutexLocker lock(&m_textMutex);
    return m_statusText;
}

void Figures::setOpenTroubles(const QStringList &troubles) {
    QMutexLocker lock(&m_textMutex);
    m_openTroubles = troubles;
}

QStringList Figures::openTroubles() const {
    QMutexLocker lock(&m_textMutex);
    return m_openTroubles;
}

Refusal dc09Refusal(const QByteArray &rejection, bool answered) {
    struct Prefix {
        const char *text;
        Refusal reason;
    };
    static constexpr Prefix prefixes[] = {
        {"CRC", Refusal::Crc},
        {"length", Refusal::Length},
        {"frame too short", Refusal::Length},
        {"unknown ID", Refusal::UnknownId},
        {"no key", Refusal::NoKey},
        {"encrypted part", Refusal::Undecryptable},
        {"does not decrypt", Refusal::Undecryptable},
        {"clear message refused", Refusal::ClearRefused},
        {"no timestamp", Refusal::TimeWindow},
        {"unreadable timestamp", Refusal::TimeWindow},
        {"time ", Refusal::TimeWindow},
        {"clear message for an account with a key", Refusal::ProtectedAccount},
        {"sent over UDP", Refusal::ProtectedAccount},
        {"unknown account", Refusal::UnknownAccount},
        {"receiver account", Refusal::ReceiverAccount},
        {"account ", Refusal::AccountNotNumber},
        {"the account its texts carry", Refusal::AccountNotNumber},
    };
    for (const Prefix &prefix : prefixes) {
        if (rejection.startsWith(prefix.text))
            return prefix.reason;
    }
    // What is left is about the content of a frame that was answered, or else about the frame's
    // shape: its start, end, header or a datagram cut short.
    return answered ? Refusal::Content : Refusal::Framing;
}
