#include "accounteditor.h"

#include "common/operatordialogs.h"

using Mode = AccountTable::SaveMode;

AccountEditor::AccountEditor(AccountTable &accounts, OperatorDialogs &dialogs,
                             std::function<int()> allowance)
    : m_accounts(accounts)
    , m_dialogs(dialogs)
    , m_allowance(std::move(allowance)) {}

AccountEditor::Outcome AccountEditor::save(Button button, const AccountEntry &entry) {
    const std::optional<AccountRecord> found = m_accounts.Find_Account(entry.number);
    if (found) {
        if (!confirmExisting(*found, entry))
            return Outcome::Declined;
        return store(button == Button::Delete ? Mode::Delete : Mode::Update, entry);
    }
    // "&Delete" reached by its accelerator acts on whatever number the editor holds: a delete
    // must never turn into an add of the editor's contents.
    if (button == Button::Delete) {
        m_dialogs.errorNotice(tr("Error"), tr("Account Not Found"));
        return Outcome::NotFound;
    }
    return store(Mode::Add, entry);
}

bool AccountEditor::confirmExisting(const AccountRecord &found, const AccountEntry &entry) {
    const std::optional<AccountRecord> current = m_accounts.CurrentAccount();
    if (!current || current->accNum != found.accNum) {
        if (!m_dialogs.question(tr("Confirm"),
                                tr("Account already in use, do you want to overwrite?")))
            return false;
    }
    // The found account is the one the save replaces, whether or not it was on view.
    if (stopsPolling(found, entry))
        return m_dialogs.question(
            tr("Confirm"),
            tr("You have set one of the polling times to 0, this will stop polling, are you "
               "sure?"));
    return true;
}

AccountEditor::Outcome AccountEditor::store(Mode saveMode, const AccountEntry &entry) {
    const int allowance = m_allowance();
    const AccountTable::Result result =
        m_accounts.saveEdited(saveMode, entry.number, [&](const AccountRecord *existing) {
            return editedAccount(existing, entry, allowance);
        });
    if (!result.ok) {
        m_dialogs.errorNotice(tr("I/O Error"), result.error);
        return Outcome::Failed;
    }
    switch (saveMode) {
    case Mode::Add:
        return Outcome::Added;
    case Mode::Update:
        return Outcome::Updated;
    case Mode::Delete:
        break;
    }
    return Outcome::Deleted;
}
