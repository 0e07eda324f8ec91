#include "accountview.h"

#include "accounts/accountnumbers.h"
#include "accounts/accountrecord.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>

namespace {

enum Field { Name, Number, Polling, ArmPolling, PollTimer, NuaIp };

const std::array<const char *, 6> fieldNames{"ViewName",       "ViewNumber",    "ViewPolling",
                                             "ViewArmPolling", "ViewPollTimer", "ViewNuaIp"};
const std::array<quint16, 3> optionBits{AccountRecord::SyncClock, AccountRecord::MatchNuaIp,
                                        AccountRecord::ReportFaultAsSia};

QLineEdit *createField(const char *name, QWidget *parent) {
    auto *field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setReadOnly(true);
    return field;
}

// Longest text of each view field, in characters: the name, the account number as the lines
// carry it (at most 7 characters), three 16-bit numbers and the NUA / IP address.
const std::array<qsizetype, 6> fieldLengths{AccountRecord::accNameMaxLength, 7, 5, 5, 5,
                                            AccountRecord::nuaIpMaxLength};

// The width a field needs to show `characters` capitals uncut: "M", the em, stands for the
// widest of them, as typesetters measure.
int fieldWidthFor(const QLineEdit &field, qsizetype characters) {
    const QFontMetrics metrics = field.fontMetrics();
    QStyleOptionFrame option;
    option.initFrom(&field);
    option.lineWidth = field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &field);
    const QMargins margins = field.textMargins() + field.contentsMargins();
    constexpr int lineEditMargin = 2; // the line edit's own blank on each side of its text
    const QSize text(metrics.horizontalAdvance(QString(characters, u'M')) + 2 * lineEditMargin +
                         margins.left() + margins.right(),
                     metrics.height());
    return field.style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, &field).width();
}

QPushButton *createButton(const char *name, const QString &caption, QWidget *parent) {
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

// Window activation and closing popups give the focus back: that is no entry by the operator.
bool isOperatorEntry(const QEvent *event) {
    const auto reason = static_cast<const QFocusEvent *>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace

AccountView::AccountView(QWidget *parent)
    : QGroupBox(parent) {
    setObjectName(QStringLiteral("AccountGroup"));
    createFields();
    createButtons();
    createLayout();
    showAccount(std::nullopt, 0, true, true);
}

void AccountView::createFields() {
    for (size_t i = 0; i < m_fields.size(); ++i) {
        m_fields[i] = createField(fieldNames[i], this);
        m_fields[i]->installEventFilter(this);
    }
    const QStringList captions{tr("Synchronise  Clock"), tr("Match NUA / IP"),
                               tr("Report fault as SIA")};
    for (size_t i = 0; i < m_options.size(); ++i) {
        m_options[i] = new QCheckBox(captions.at(qsizetype(i)), this);
        m_options[i]->setObjectName(QStringLiteral("OptionBit%1").arg(i));
        m_options[i]->installEventFilter(this);
    }
    m_lastNuaIp = createField("IP_NUA", this);
    fitFields();
}

void AccountView::fitFields() {
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i]->setMinimumWidth(fieldWidthFor(*m_fields[i], fieldLengths[i]));
    m_lastNuaIp->setMinimumWidth(fieldWidthFor(*m_lastNuaIp, AccountRecord::lastNuaIpMaxLength));
}

void AccountView::changeEvent(QEvent *event) {
    QGroupBox::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitFields();
}

void AccountView::createButtons() {
    m_steps = {createButton("FirstBtn", tr("&First"), this),
               createButton("PrevBtn", tr("&Previous"), this),
               createButton("NextBtn", tr("&Next"), this),
               createButton("LastBtn", tr("&Last"), this)};
    for (size_t i = 0; i < m_steps.size(); ++i)
        connect(m_steps[i], &QPushButton::clicked, this, [this, i] { emit stepped(Step(i)); });
    m_edit = createButton("AccEdit", tr("&Edit"), this);
    m_delete = createButton("DeleteBtn", tr("&Delete"), this);
    m_edit->installEventFilter(this);
    m_delete->installEventFilter(this);
    connect(m_edit, &QPushButton::clicked, this, &AccountView::editClicked);
    connect(m_delete, &QPushButton::clicked, this, &AccountView::deleteClicked);

    m_find = createButton("FindAcc", tr("Find Account"), this);
    m_searchText = new QLineEdit(tr("Enter Account Details Here - Then Click Find Account"), this);
    m_searchText->setObjectName(QStringLiteral("FindAccText"));
    m_searchText->installEventFilter(this);
    connect(m_find, &QPushButton::clicked, this, &AccountView::findClicked);
}

void AccountView::createLayout() {
    auto *layout = new QGridLayout(this);
    const QStringList labels{tr("Account Name"),       tr("Account Number"),
                             tr("Polling Delay"),      tr("Polling Delay (Armed)"),
                             tr("Poll Timeout......"), tr("NUA / IP Address")};
    int row = 0;
    for (size_t i = 0; i < m_fields.size(); ++i, ++row) {
        layout->addWidget(new QLabel(labels.at(qsizetype(i)), this), row, 0);
        layout->addWidget(m_fields[i], row, 1, 1, 2);
    }
    layout->addWidget(new QLabel(tr("Minutes"), this), PollTimer, 3);
    for (QCheckBox *option : m_options)
        layout->addWidget(option, row++, 1, 1, 2);
    layout->addWidget(new QLabel(tr("IP / NUA Number"), this), row, 0);
    layout->addWidget(m_lastNuaIp, row++, 1, 1, 2);
    for (size_t i = 0; i < m_steps.size(); ++i)
        layout->addWidget(m_steps[i], row, int(i));
    ++row;
    layout->addWidget(m_edit, row, 0);
    layout->addWidget(m_delete, row++, 1);
    layout->addWidget(m_find, row, 0);
    layout->addWidget(m_searchText, row, 1, 1, 3);
    layout->setRowStretch(row + 1, 1);
}

void AccountView::showAccount(const std::optional<AccountRecord> &account, qsizetype count,
                              bool first, bool last) {
    setTitle(tr("Account:") + QString::number(count));
    m_shown = account.has_value();
    if (account)
        showFields(*account);
    else
        clearFields();
    enableButtons(m_shown, first, last);
}

void AccountView::showFields(const AccountRecord &account) {
    m_fields[Name]->setText(QString::fromLatin1(account.accName));
    m_fields[Number]->setText(QString::fromLatin1(AccountToStg(account.accNum)));
    m_fields[Polling]->setText(QString::number(account.pollDelay));
    m_fields[ArmPolling]->setText(QString::number(account.armPollDelay));
    m_fields[PollTimer]->setText(QString::number(account.pollTimer));
    m_fields[NuaIp]->setText(QString::fromLatin1(account.nuaIp));
    for (size_t i = 0; i < m_options.size(); ++i)
        m_options[i]->setChecked((account.optionBits & optionBits[i]) != 0);
    m_lastNuaIp->setText(QString::fromLatin1(account.lastNuaIp));
    const bool supervised = account.pollDelay != 0 || account.armPollDelay != 0;
    setHighlight(supervised && account.pollTimer == 0);
}

void AccountView::clearFields() {
    for (QLineEdit *field : m_fields)
        field->clear();
    m_lastNuaIp->clear();
    for (QCheckBox *option : m_options)
        option->setChecked(false);
}

// A supervised account whose timer has stopped (failed, or not yet polled since the start)
// stands out in red.
void AccountView::setHighlight(bool stopped) {
    const QColor colour = stopped ? QColor(Qt::red) : QColor(0x00, 0xFF, 0x00);
    for (QLineEdit *field : {m_fields[Name], m_fields[PollTimer]}) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, colour);
        field->setPalette(palette);
    }
}

void AccountView::enableButtons(bool shown, bool first, bool last) {
    for (QPushButton *step : m_steps)
        step->setEnabled(shown);
    m_delete->setEnabled(shown);
    m_edit->setEnabled(shown && m_loggedOn);
    if (!shown)
        return;
    m_steps[size_t(Step::Previous)]->setEnabled(!first);
    m_steps[size_t(Step::Next)]->setEnabled(!last);
}

void AccountView::setLoggedOn(bool loggedOn) {
    m_loggedOn = loggedOn;
    m_edit->setEnabled(m_shown && m_loggedOn);
}

QString AccountView::searchText() const {
    return m_searchText->text();
}

QPushButton *AccountView::button(Step step) const {
    return m_steps[size_t(step)];
}

bool AccountView::isReadOnlyOption(QObject *watched) const {
    return std::find(m_options.begin(), m_options.end(), watched) != m_options.end();
}

bool AccountView::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusIn && watched != m_searchText && isOperatorEntry(event))
        emit entered(watched->objectName());
    // After a delete the button keeps the focus, so no entry precedes the next click: the press
    // copies the account on view, and a delete by mouse always names it.
    if (watched == m_delete && type == QEvent::MouseButtonPress)
        emit entered(watched->objectName());
    if (watched == m_searchText && type == QEvent::MouseButtonPress) {
        // A click into the search field selects what it holds, ready to be typed over.
        m_searchText->setFocus(Qt::MouseFocusReason);
        m_searchText->selectAll();
        return true;
    }
    if (!isReadOnlyOption(watched))
        return false;
    // The view's option boxes show the account; they take the focus but never change.
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        static_cast<QWidget *>(watched)->setFocus(Qt::MouseFocusReason);
        return true;
    }
    if (type == QEvent::MouseButtonRelease)
        return true;
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        return key == Qt::Key_Space || key == Qt::Key_Select;
    }
    return false;
}
