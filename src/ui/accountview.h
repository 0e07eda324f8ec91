#pragma once

#include <QGroupBox>
#include <array>
#include <optional>

struct AccountRecord;
class QCheckBox;
class QLineEdit;
class QPushButton;

// "AccountGroup": the read-only view of the current account with its navigation, edit and
// delete buttons and the search by name.
class AccountView : public QGroupBox {
    Q_OBJECT
public:
    enum class Step { First, Previous, Next, Last };

    explicit AccountView(QWidget *parent = nullptr);

    // Shows the account (none: the table is empty) with the count in the caption. `first` and
    // `last` say whether it is the first or the last of the table.
    void showAccount(const std::optional<AccountRecord> &account, qsizetype count, bool first,
                     bool last);
    // "&Edit" is offered only to a logged-on operator.
    void setLoggedOn(bool loggedOn);

    QString searchText() const;
    QPushButton *button(Step step) const;

signals:
    // A control that copies the account into the editor took the focus (its object name).
    void entered(const QString &controlName);
    void stepped(AccountView::Step step);
    void editClicked();
    void deleteClicked();
    void findClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void createFields();
    void fitFields(); // each field as wide as its longest text needs
    void createButtons();
    void createLayout();
    void showFields(const AccountRecord &account);
    void clearFields();
    void setHighlight(bool stopped);
    void enableButtons(bool shown, bool first, bool last);
    bool isReadOnlyOption(QObject *watched) const;

    std::array<QLineEdit *, 6> m_fields{}; // ViewName .. ViewNuaIp
    QLineEdit *m_lastNuaIp = nullptr;      // IP_NUA
    std::array<QCheckBox *, 3> m_options{};
    std::array<QPushButton *, 4> m_steps{}; // First, Previous, Next, Last
    QPushButton *m_edit = nullptr;
    QPushButton *m_delete = nullptr;
    QPushButton *m_find = nullptr;
    QLineEdit *m_searchText = nullptr;
    bool m_loggedOn = false;
    bool m_shown = false;
};
