#include "accounteditorgroup.h"

#include "accounts/accountentry.h"
#include "accounts/accountnumbers.h"
#include "settingbinding.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

const std::array<quint16, 3> optionBits{AccountRecord::SyncClock, AccountRecord::MatchNuaIp,
                                        AccountRecord::ReportFaultAsSia};

template <typename T> T *named(T *widget, const char *name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QSpinBox *createSpin(const char *name, int value, QWidget *parent) {
    auto *spin = named(new QSpinBox(parent), name);
    spin->setRange(0, 999);
    spin->setValue(value);
    return spin;
}

} // namespace

bool isWithin(const QWidget *widget, const QWidget *control) {
    return widget && (widget == control || control->isAncestorOf(widget));
}

AccountEditorGroup::AccountEditorGroup(Settings &settings, QWidget *parent)
    : QGroupBox(tr("Edit / New Account"), parent) {
    setObjectName(QStringLiteral("EditGroup"));
    createFields(settings);
    createLayout();
    setLoggedOn(false);
}

void AccountEditorGroup::createFields(Settings &settings) {
    m_name = named(new QLineEdit(this), "NewAccName");
    m_code = named(new QLineEdit(this), "AccountCode");
    m_code->setMaxLength(6);
    connect(m_code, &QLineEdit::textChanged, this, &AccountEditorGroup::cleanAccountCode);
    m_poll = createSpin("NewAccPoll", 0, this);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        if (isWithin(now, m_poll) && !isWithin(old, m_poll))
            m_armPollAtEntry = m_armPoll->value();
    });
    connect(m_poll, &QSpinBox::valueChanged, this, &AccountEditorGroup::followPollDelay);
    m_armPoll = createSpin("NewAccArmPoll", 0, this);
    m_nuaIp = named(new QLineEdit(this), "NewNuaIp");
    m_dc09Key = named(new QLineEdit(this), "Dc09Key");
    m_dc09Key->setEchoMode(QLineEdit::Password);
    m_dc09Key->setMaxLength(64);
    const std::array<const char *, 3> names{"NewSyncClock", "NewMatchNua", "NewRepSIA"};
    const QStringList captions{tr("Synchronise  Clock"), tr("Match NUA / IP"),
                               tr("Report fault as SIA")};
    for (size_t i = 0; i < m_options.size(); ++i)
        m_options[i] = named(new QCheckBox(captions.at(qsizetype(i)), this), names[i]);
    m_addUpdate = named(new QPushButton(tr("&Add / Update"), this), "AddUpdate");
    connect(m_addUpdate, &QPushButton::clicked, this, &AccountEditorGroup::addUpdateClicked);
    m_pollTimeOut = createSpin("NewPollTimeOut", 1, this);
    SettingBinding::bindSpinBox(m_pollTimeOut, settings, SettingKey::PollTimeOut);
}

void AccountEditorGroup::createLayout() {
    auto *layout = new QGridLayout(this);
    const QList<QPair<QString, QWidget *>> rows{
        {tr("Account Name"), m_name},      {tr("Account Number"), m_code},
        {tr("Polling Delay"), m_poll},     {tr("Polling Delay (Armed)"), m_armPoll},
        {tr("NUA / IP Address"), m_nuaIp}, {tr("DC-09 Key"), m_dc09Key}};
    int row = 0;
    for (const auto &[label, field] : rows) {
        layout->addWidget(new QLabel(label, this), row, 0);
        layout->addWidget(field, row, 1);
        if (field == m_poll || field == m_armPoll)
            layout->addWidget(new QLabel(tr("Minutes"), this), row, 2);
        ++row;
    }
    for (QCheckBox *option : m_options)
        layout->addWidget(option, row++, 1);
    layout->addWidget(m_addUpdate, row++, 1);
    layout->addWidget(
        new QLabel(tr("Number of polls that can be missed before an alarm is raised....."), this),
        row++, 0, 1, 3);
    layout->addWidget(m_pollTimeOut, row, 1);
    layout->setRowStretch(row + 1, 1);
}

void AccountEditorGroup::fill(const AccountRecord &account) {
    m_name->setText(QString::fromLatin1(account.accName));
    m_code->setText(QString::fromLatin1(AccNumString(account.accNum)));
    // The polling delay first: the armed delay may follow it, and is then set to its own.
    m_poll->setValue(account.pollDelay);
    m_armPoll->setValue(account.armPollDelay);
    m_nuaIp->setText(QString::fromLatin1(account.nuaIp));
    for (size_t i = 0; i < m_options.size(); ++i)
        m_options[i]->setChecked((account.optionBits & optionBits[i]) != 0);
}

AccountEntry AccountEditorGroup::entry() const {
    AccountEntry entry;
    entry.name = m_name->text().toLatin1();
    // Six characters at most, cleaned to digits and letters: always a number.
    entry.number = NumericalAccNum(m_code->text().toLatin1()).value_or(0);
    entry.pollDelay = quint16(m_poll->value());
    entry.armPollDelay = quint16(m_armPoll->value());
    entry.nuaIp = m_nuaIp->text().toLatin1();
    for (size_t i = 0; i < m_options.size(); ++i) {
        if (m_options[i]->isChecked())
            entry.optionBits |= optionBits[i];
    }
    return entry;
}

QString AccountEditorGroup::nameText() const {
    return m_name->text();
}

QString AccountEditorGroup::nuaIpText() const {
    return m_nuaIp->text();
}

std::optional<QByteArray> AccountEditorGroup::editedDc09Key() const {
    if (!m_dc09Key->isModified())
        return std::nullopt;
    return m_dc09Key->text().toLatin1();
}

void AccountEditorGroup::setDc09Key(const QByteArray &key) {
    m_dc09Key->setText(QString::fromLatin1(key));
}

void AccountEditorGroup::clear() {
    m_name->clear();
    m_dc09Key->clear();
    m_code->clear();
    m_nuaIp->clear();
    m_poll->setValue(0);
    m_armPoll->setValue(0);
    for (QCheckBox *option : m_options)
        option->setChecked(false);
}

void AccountEditorGroup::setLoggedOn(bool loggedOn) {
    m_addUpdate->setEnabled(loggedOn);
}

QWidget *AccountEditorGroup::fieldFor(const QString &viewControl) const {
    static const QHash<QString, int> fields{
        {QStringLiteral("ViewName"), 0},    {QStringLiteral("ViewNumber"), 1},
        {QStringLiteral("ViewPolling"), 2}, {QStringLiteral("ViewArmPolling"), 3},
        {QStringLiteral("ViewNuaIp"), 4},   {QStringLiteral("OptionBit0"), 5},
        {QStringLiteral("OptionBit1"), 6},  {QStringLiteral("OptionBit2"), 7}};
    const std::array<QWidget *, 8> editors{m_name,  m_code,       m_poll,       m_armPoll,
                                           m_nuaIp, m_options[0], m_options[1], m_options[2]};
    const int index = fields.value(viewControl, -1);
    return index < 0 ? nullptr : editors[size_t(index)];
}

void AccountEditorGroup::cleanAccountCode(const QString &typed) {
    const QString cleaned = cleanAccountEntry(typed);
    if (cleaned == typed)
        return;
    m_code->setText(cleaned);
    m_code->setFocus(Qt::OtherFocusReason);
    m_code->setCursorPosition(int(std::min(typed.size(), cleaned.size())));
}

// The armed delay follows the polling delay while it was 0 when the operator came to the field.
void AccountEditorGroup::followPollDelay(int delay) {
    if (m_armPollAtEntry == 0)
        m_armPoll->setValue(delay);
}
