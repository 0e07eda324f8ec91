#pragma once

#include "accountrecord.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

// The polling accounts in memory, in ascending order of account number (records with equal
// numbers may coexist; a new one goes before them). Every operation takes the "FSemaphore"
// lock, so the user-interface thread and the connection threads may use the table at once;
// records leave the table as copies and are changed through it by account number.
//
// The lock is not recursive: a caller must not hold "FSemaphore" itself while it calls the
// table, and the callback given to update() must not call the table. Signals are emitted after
// the lock is released, from the calling thread.
class AccountTable : public QObject {
    Q_OBJECT
public:
    enum class SaveMode { Add, Update, Delete };
    struct Result {
        bool ok = true;
        QString error; // the I/O error text of a failed load or save
    };

    explicit AccountTable(QString filePath = QStringLiteral("Accounts.PDB"),
                          QObject *parent = nullptr);

    // Loads the file into the (emptied) table; a missing file is created empty. Every record's
    // poll timer starts at pollDelay * pollTimeOut + 3 (16 bits) when its delay is not 0, and its
    // last NUA / IP is emptied. The first record becomes the current one. A trailing piece
    // shorter than a record is ignored. A file that exists but cannot be read is left alone and
    // reported; after any failure the table is as it was. Such a file is also protected: every
    // save() fails without touching it until a later load reads it.
    Result ReadAccRec(int pollTimeOut);

    // Inserts at the sorted place, before records with the same number. The current record
    // stays the same record.
    void InsertAcc(const AccountRecord &record);

    // The front record with this number. Shows the number's text in the "Account" field of the
    // Coms Setup window through lookedUp(), which reaches the user-interface thread queued.
    std::optional<AccountRecord> Find_Account(quint32 number);

    // The account a received message names by its account text, looked up as Find_Account
    // does. No number for a text that names none; no record for a number not in the table.
    struct TextLookup {
        std::optional<quint32> number;
        std::optional<AccountRecord> record;
    };
    TextLookup lookUpAccountText(const QByteArray &accountText);

    // Rewrites the file (to a temporary file replaced atomically) with every record in table
    // order, records numbered like `record` left out in Update and Delete mode, and `record`
    // written last in Add and Update mode; only then changes the table:
    // - Add inserts `record` and makes it the current one;
    // - Update copies `record` over the front record with its number, in its place, and drops
    //   the other records with that number, which the file no longer holds (with no such record
    //   it inserts `record` as Add does);
    // - Delete removes every record with the number and makes the first record current.
    // Update keeps the reserved bytes of the record it replaces. After a failed save both the
    // file and the table are as they were.
    Result save(SaveMode mode, const AccountRecord &record);

    // The editor's save of the account `number`, as save() does it, with two differences:
    // `build` makes the record to store from the front record with that number (null when there
    // is none) under the lock, at the moment of the save, so a poll or a minute tick that came
    // while the operator was answering questions is not undone by an older copy (Delete does not
    // call it); and the account saved becomes the current one in Update mode too.
    using Builder = std::function<AccountRecord(const AccountRecord *existing)>;
    Result saveEdited(SaveMode mode, quint32 number, const Builder &build);

    // Sets the last NUA / IP of the front record with this number (cut to 20 bytes); false when
    // there is none.
    bool setLastNuaIp(quint32 number, const QByteArray &source);

    // Changes the front record with this number in place; false when there is none. The number
    // itself cannot be changed this way (it is the table's key; use save()), and texts are cut
    // to what the file image holds.
    bool update(quint32 number, const std::function<void(AccountRecord &)> &change);

    // Changes every record in table order under one hold of the lock, with the same rules as
    // update(); `change` returns whether it changed the record.
    void updateEach(const std::function<bool(AccountRecord &)> &change);

    qsizetype AccountCount() const;
    // The records for which `test` holds, counted under the lock without copying them.
    qsizetype countWhere(const std::function<bool(const AccountRecord &)> &test) const;
    std::vector<AccountRecord> records() const; // a copy, in table order
    std::optional<AccountRecord> CurrentAccount() const;
    qsizetype currentIndex() const;        // -1 when the table is empty
    void setCurrentIndex(qsizetype index); // an index outside the table is ignored
    QString filePath() const { return m_filePath; }

signals:
    void lookedUp(const QString &accountText);
    void changed();

private:
    // The caller holds the lock for all of these.
    qsizetype lowerBound(quint32 number) const;
    Result loadLocked(int pollTimeOut);
    qsizetype insertLocked(AccountRecord record);
    QByteArray fileImage(SaveMode mode, const AccountRecord &record) const;
    Result writeLocked(SaveMode mode, const AccountRecord &record);
    Result saveLocked(SaveMode mode, AccountRecord record);
    void keepReservedBytes(AccountRecord &record) const;
    void applySaved(SaveMode mode, const AccountRecord &record);
    void eraseRange(qsizetype from, qsizetype to);

    QString m_filePath;
    std::vector<AccountRecord> m_records;
    qsizetype m_current = -1;
    QString m_unreadFileError; // set while an existing file could not be loaded
};
