#pragma once

#include "accountrecord.h"

#include <QByteArray>
#include <QString>
#include <vector>

// What the operator filled into the account editor, as the record will hold it.
struct AccountEntry {
    QByteArray name;
    quint32 number = 0;
    quint16 pollDelay = 0;
    quint16 armPollDelay = 0;
    QByteArray nuaIp;
    quint16 optionBits = 0;
};

// The record an editor save stores. An existing account keeps its place, its reserved bytes and
// a running poll timer; a new one, or one whose timer has stopped (failed or never started),
// starts counting again from the greater delay. Either way the failure is forgotten and the
// last caller is cleared, and only the three known option bits are kept.
AccountRecord editedAccount(const AccountRecord *existing, const AccountEntry &entry,
                            int allowance);

// True when the entry sets a delay to 0 that the account has running now: saving it would stop
// the account's supervision.
bool stopsPolling(const AccountRecord &account, const AccountEntry &entry);

// The first character of the text that the account file's single-byte texts cannot hold ("’",
// "€", "Ł"), whole even where it takes two UTF-16 units; empty when every character fits.
QString firstUnstorableCharacter(const QString &text);

// The first record whose name contains the text, both upper-cased; -1 when none does. An empty
// text matches nothing.
qsizetype firstNameMatch(const std::vector<AccountRecord> &records, const QString &text);
