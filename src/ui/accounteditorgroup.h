#pragma once

#include <QGroupBox>
#include <array>
#include <optional>

struct AccountEntry;
struct AccountRecord;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class Settings;

// True when the widget is the control or a part of it (a spin field's text, for instance).
bool isWithin(const QWidget *widget, const QWidget *control);

// "Edit / New Account": the fields of the account to add, update or delete, the "&Add / Update"
// button and the missed-poll allowance.
class AccountEditorGroup : public QGroupBox {
    Q_OBJECT
public:
    AccountEditorGroup(Settings &settings, QWidget *parent = nullptr);

    void fill(const AccountRecord &account); // the account as the editor shows it
    AccountEntry entry() const;              // what the fields hold
    QString nameText() const;                // "Account Name" as typed
    QString nuaIpText() const;               // "NUA / IP Address" as typed
    void clear();                            // "Clear Page"
    void setLoggedOn(bool loggedOn);

    // The field that matches a control of the account view; null for those without one.
    QWidget *fieldFor(const QString &viewControl) const;
    QSpinBox *pollTimeOut() const { return m_pollTimeOut; }
    // The account's DC-09 key as written, shown masked; kept apart from the account record.
    // None unless the operator has changed it since it was filled: an untouched (empty) field
    // leaves the key in the key file as it is.
    std::optional<QByteArray> editedDc09Key() const;
    void setDc09Key(const QByteArray &key);

signals:
    void addUpdateClicked();

private:
    void createFields(Settings &settings);
    void createLayout();
    void cleanAccountCode(const QString &typed);
    void followPollDelay(int delay);

    QLineEdit *m_name = nullptr;
    QLineEdit *m_code = nullptr;
    QSpinBox *m_poll = nullptr;
    QSpinBox *m_armPoll = nullptr;
    QLineEdit *m_nuaIp = nullptr;
    QLineEdit *m_dc09Key = nullptr;
    std::array<QCheckBox *, 3> m_options{};
    QPushButton *m_addUpdate = nullptr;
    QSpinBox *m_pollTimeOut = nullptr;
    int m_armPollAtEntry = 0;
};
