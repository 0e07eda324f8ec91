#pragma once

#include "protocol/dc09receipt.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QSet>
#include <QString>
#include <optional>

// The panels' DC-09 keys, kept in a text file beside the account file and written by hand or by
// the account editor: one line per account, the account text, a blank and the key (32/48/64 hex
// digits or 16/24/32 characters, "hex:" or "text:" before them to say which). Blank lines and
// lines starting with "#" are notes. A panel's account finds its line by its text in capitals
// (DC-09 accounts are hex, sent in either case), or else by its account number, as the account
// table reads both ("05801" finds "5801"). A save keeps every other line as it was written.
// Look-ups are safe from any thread. No key is ever put into a message or a log.
class Dc09Keys {
public:
    static inline const QString fileName = QStringLiteral("Dc09Keys.txt");

    struct LoadResult {
        QString error;       // the file exists but cannot be read; the keys are then as before
        QList<int> badLines; // 1-based numbers of lines that hold no account and key, skipped
        // A later read with a new bad line (the file cut short, or half edited) changes nothing:
        // the keys read before stay until the file reads whole.
        bool keptPrevious = false;
        bool exposed = false; // the file can be read by its group or by others
    };
    struct SaveResult {
        bool ok = true;
        QString error;
    };

    explicit Dc09Keys(QString path = fileName);

    // Reads the file; a missing file means no keys. The first read takes the good lines of a
    // file with bad ones; a later read with a bad line not seen then keeps the keys it has.
    LoadResult load();
    // The key (16, 24 or 32 bytes) of the account text as the panel sends it.
    std::optional<QByteArray> key(const QByteArray &account) const;
    // The same, with the other reading of a key written as 32 hex digits.
    std::optional<dc09::AccountKey> accountKey(const QByteArray &account) const;
    // True when the account `number` has a key: it takes encrypted DC-09 messages only.
    bool hasKey(quint32 number) const;
    // True the first time the account is said to use the other reading of its key since the
    // file was read, so that it is logged once.
    bool firstOtherReading(const QByteArray &account) const;
    // The key as written for the account `number` (its lines are those whose account text reads
    // as that number); empty when it has none.
    QByteArray keyText(quint32 number) const;
    // Gives the account `number` this key (empty: no key) and rewrites the file at once, whole or
    // not at all, readable by the monitor's user only. A text that is not a key is refused.
    SaveResult setKeyText(quint32 number, const QByteArray &text);

    // The accounts of the file's key lines, as written.
    QList<QByteArray> accountTexts() const;

    QString filePath() const { return m_path; }

private:
    struct Line {
        QByteArray text;    // as written, without its line end
        QByteArray account; // empty for notes and bad lines
        QByteArray key;     // the key part as written
    };

    static std::optional<Line> parsed(const QByteArray &text);
    void rebuildLocked();
    QList<Line> editedLocked(quint32 number, const QByteArray &text) const;
    SaveResult writeLocked(const QList<Line> &lines) const;

    QString m_path;
    mutable QMutex m_mutex;
    QList<Line> m_lines;
    bool m_loaded = false;
    QSet<QByteArray> m_badTexts;                  // the bad lines of the read in use
    QHash<QByteArray, dc09::AccountKey> m_byText; // by the account text in capitals
    QHash<quint32, dc09::AccountKey> m_byNumber;
    mutable QSet<QByteArray> m_otherReadingNoted;
};
