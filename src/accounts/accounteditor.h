#pragma once

#include "accountentry.h"
#include "accounttable.h"

#include <QCoreApplication>
#include <functional>

class OperatorDialogs;

// The save of the account editor, shared by "&Add / Update" and "&Delete": decides the mode from
// the number entered, asks the operator what must be confirmed, and saves through the account
// file. Every "No" ends the save before the file is touched; a failed save is reported and
// leaves the file, the table and its current account as they were.
class AccountEditor {
    Q_DECLARE_TR_FUNCTIONS(AccountEditor)
public:
    enum class Button { AddUpdate, Delete };
    enum class Outcome { Added, Updated, Deleted, Declined, NotFound, Failed };

    // `allowance` gives the current missed-poll allowance for the restarted timer.
    AccountEditor(AccountTable &accounts, OperatorDialogs &dialogs, std::function<int()> allowance);

    Outcome save(Button button, const AccountEntry &entry);

private:
    bool confirmExisting(const AccountRecord &found, const AccountEntry &entry);
    Outcome store(AccountTable::SaveMode mode, const AccountEntry &entry);

    AccountTable &m_accounts;
    OperatorDialogs &m_dialogs;
    std::function<int()> m_allowance;
};
