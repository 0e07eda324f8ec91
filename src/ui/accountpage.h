#pragma once

#include "accounts/accounteditor.h"
#include "accountview.h"

#include <QWidget>

class AccountEditorGroup;
class AccountTable;
class Dc09Keys;
class OperatorDialogs;
class Settings;

// "Polling Accounts": the view of the current account on the left, the editor on the right.
// The view follows every change of the table, whoever makes it (a poll, the minute tick, the
// decoder, a save here).
class AccountPage : public QWidget {
    Q_OBJECT
public:
    struct Services {
        AccountTable &accounts;
        Settings &settings;
        OperatorDialogs &dialogs;
        Dc09Keys *dc09Keys = nullptr; // none: no DC-09 key is shown or saved
    };

    explicit AccountPage(Services services, QWidget *parent = nullptr);

    void View_Account();
    // Adding, updating and "&Edit" are for a logged-on operator; the page starts logged off.
    void setLoggedOn(bool loggedOn);
    void clearEditor(); // "Clear Page" on this page

private:
    void step(AccountView::Step step);
    void copyIntoEditor(const QString &enteredControl);
    void find();
    void save(AccountEditor::Button button);
    bool textsStorable();
    bool dc09KeyAcceptable(const std::optional<QByteArray> &key);
    void saveDc09Key(quint32 number, const std::optional<QByteArray> &key);

    Services m_services;
    AccountEditor m_editor;
    AccountView *m_view;
    AccountEditorGroup *m_editorGroup;
};
