#include "accountpage.h"

#include "accounteditorgroup.h"
#include "accounts/accounttable.h"
#include "allowanceconfirmation.h"
#include "common/operatordialogs.h"
#include "ipserver/dc09keys.h"
#include "protocol/dc09receipt.h"
#include "settings/settings.h"

#include <QHBoxLayout>
#include <QList>
#include <QPushButton>
#include <QSpinBox>

AccountPage::AccountPage(Services services, QWidget *parent)
    : QWidget(parent)
    , m_services(services)
    , m_editor(
          services.accounts, services.dialogs,
          [&settings = services.settings] { return settings.integer(SettingKey::PollTimeOut); })
    , m_view(new AccountView(this))
    , m_editorGroup(new AccountEditorGroup(services.settings, this)) {
    setObjectName(QStringLiteral("PollingAccountsPage"));
    new AllowanceConfirmation(m_editorGroup->pollTimeOut(), services.dialogs);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_editorGroup, 1);

    connect(m_view, &AccountView::stepped, this, &AccountPage::step);
    connect(m_view, &AccountView::entered, this, &AccountPage::copyIntoEditor);
    connect(m_view, &AccountView::editClicked, this, [this] { copyIntoEditor(QString()); });
    connect(m_view, &AccountView::deleteClicked, this,
            [this] { save(AccountEditor::Button::Delete); });
    connect(m_view, &AccountView::findClicked, this, &AccountPage::find);
    connect(m_editorGroup, &AccountEditorGroup::addUpdateClicked, this,
            [this] { save(AccountEditor::Button::AddUpdate); });
    // Changes from a connection thread arrive queued, on this page's thread.
    connect(&services.accounts, &AccountTable::changed, this, &AccountPage::View_Account);
    View_Account();
}

void AccountPage::View_Account() {
    const AccountTable &accounts = m_services.accounts;
    const qsizetype count = accounts.AccountCount();
    const qsizetype index = accounts.currentIndex();
    m_view->showAccount(accounts.CurrentAccount(), count, index <= 0, index + 1 >= count);
}

void AccountPage::setLoggedOn(bool loggedOn) {
    m_view->setLoggedOn(loggedOn);
    m_editorGroup->setLoggedOn(loggedOn);
}

void AccountPage::clearEditor() {
    m_editorGroup->clear();
}

void AccountPage::step(AccountView::Step step) {
    AccountTable &accounts = m_services.accounts;
    const qsizetype index = accounts.currentIndex();
    switch (step) {
    case AccountView::Step::First:
        accounts.setCurrentIndex(0);
        break;
    case AccountView::Step::Previous:
        accounts.setCurrentIndex(index - 1);
        break;
    case AccountView::Step::Next:
        accounts.setCurrentIndex(index + 1);
        break;
    case AccountView::Step::Last:
        accounts.setCurrentIndex(accounts.AccountCount() - 1);
        break;
    }
    View_Account();
    // At an end the button just pressed is disabled: the focus goes to the one facing back.
    if (step == AccountView::Step::Next && !m_view->button(step)->isEnabled())
        m_view->button(AccountView::Step::Previous)->setFocus(Qt::OtherFocusReason);
    if (step == AccountView::Step::Previous && !m_view->button(step)->isEnabled())
        m_view->button(AccountView::Step::Next)->setFocus(Qt::OtherFocusReason);
}

void AccountPage::copyIntoEditor(const QString &enteredControl) {
    if (const std::optional<AccountRecord> current = m_services.accounts.CurrentAccount()) {
        m_editorGroup->fill(*current);
        if (m_services.dc09Keys)
            m_editorGroup->setDc09Key(m_services.dc09Keys->keyText(current->accNum));
    }
    if (QWidget *field = m_editorGroup->fieldFor(enteredControl))
        field->setFocus(Qt::OtherFocusReason);
}

void AccountPage::find() {
    AccountTable &accounts = m_services.accounts;
    const qsizetype match = firstNameMatch(accounts.records(), m_view->searchText());
    if (match < 0) {
        m_services.dialogs.errorNotice(tr("Error"), tr("Account Not Found"));
        return;
    }
    accounts.setCurrentIndex(match);
    View_Account();
}

// The key is checked before the account is saved, and written only when the operator changed
// it: the key file is often written by hand, and an untouched field must not erase a key.
void AccountPage::save(AccountEditor::Button button) {
    const AccountEntry entry = m_editorGroup->entry();
    const std::optional<QByteArray> key = m_editorGroup->editedDc09Key();
    if (button == AccountEditor::Button::AddUpdate && (!textsStorable() || !dc09KeyAcceptable(key)))
        return;
    const AccountEditor::Outcome outcome = m_editor.save(button, entry);
    if (outcome == AccountEditor::Outcome::Added || outcome == AccountEditor::Outcome::Updated)
        saveDc09Key(entry.number, key);
    View_Account();
}

// The account file holds its texts in single bytes. A character outside them would be stored as
// something else without a word, so the save is refused and the character named instead.
bool AccountPage::textsStorable() {
    const QString nameCharacter = firstUnstorableCharacter(m_editorGroup->nameText());
    const QString nuaIpCharacter = firstUnstorableCharacter(m_editorGroup->nuaIpText());
    if (nameCharacter.isEmpty() && nuaIpCharacter.isEmpty())
        return true;
    const QString character = nameCharacter.isEmpty() ? nuaIpCharacter : nameCharacter;
    const QString code =
        QStringLiteral("U+%1").arg(character.toUcs4().value(0), 4, 16, QLatin1Char('0')).toUpper();
    m_services.dialogs.errorNotice(
        tr("Error"),
        (nameCharacter.isEmpty()
             ? tr("The NUA / IP address holds the character \"%1\" (%2), which the account "
                  "file cannot store. Nothing was saved.")
             : tr("The account name holds the character \"%1\" (%2), which the account file "
                  "cannot store. Nothing was saved."))
            .arg(character, code));
    return false;
}

bool AccountPage::dc09KeyAcceptable(const std::optional<QByteArray> &key) {
    if (!m_services.dc09Keys || !key || key->isEmpty() || dc09::parseKey(*key))
        return true;
    m_services.dialogs.errorNotice(
        tr("Error"), tr("The DC-09 key must be 32, 48 or 64 hex digits, or 16, 24 or 32 "
                        "characters"));
    return false;
}

void AccountPage::saveDc09Key(quint32 number, const std::optional<QByteArray> &key) {
    if (!m_services.dc09Keys || !key || m_services.dc09Keys->keyText(number) == *key)
        return;
    const Dc09Keys::SaveResult saved = m_services.dc09Keys->setKeyText(number, *key);
    if (!saved.ok)
        m_services.dialogs.errorNotice(tr("I/O Error"), saved.error);
}
