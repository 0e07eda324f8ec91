#include "heartbeatgroup.h"

#include "digitkeyfilter.h"
#include "settingbinding.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace {

// Takes small letters as capitals before it checks the text.
class CapitalsValidator : public QRegularExpressionValidator {
public:
    using QRegularExpressionValidator::QRegularExpressionValidator;
    State validate(QString &input, int &position) const override {
        input = input.toUpper();
        return QRegularExpressionValidator::validate(input, position);
    }
};

struct NumberField {
    const char *name;
    const char *caption;
    const char *unit;
    int maxLength;
    SettingKey key;
};

// The automation software expects a two-digit receiver number.
constexpr int rxNumberLength = 2;

} // namespace

HeartBeatGroup::HeartBeatGroup(Settings &settings, QWidget *parent)
    : QGroupBox(tr("Heart Beat"), parent)
    , m_layout(new QGridLayout(this))
    , m_keyFilter(new DigitKeyFilter(this)) {
    setObjectName(QStringLiteral("HeartBeatGroup"));

    static constexpr NumberField fields[] = {
        {"RxNo", QT_TRANSLATE_NOOP("HeartBeatGroup", "Rx Number:"), "", rxNumberLength,
         SettingKey::RxNum},
        {"LineNo", QT_TRANSLATE_NOOP("HeartBeatGroup", "Rx Line:"), "", 1, SettingKey::RxLine},
        {"TxAtt", QT_TRANSLATE_NOOP("HeartBeatGroup", "Tx Attempts:"), "", 2, SettingKey::TxAtt},
        {"TxTimeout", QT_TRANSLATE_NOOP("HeartBeatGroup", "Tx Timeout:"),
         QT_TRANSLATE_NOOP("HeartBeatGroup", "Sec"), 2, SettingKey::TxTimeout},
        {"HBeatTime", QT_TRANSLATE_NOOP("HeartBeatGroup", "Heartbeat:"),
         QT_TRANSLATE_NOOP("HeartBeatGroup", "Sec"), 2, SettingKey::HeartBeat},
    };
    for (const NumberField &field : fields) {
        QLineEdit *edit = addNumberField(QString::fromLatin1(field.name), tr(field.caption),
                                         *field.unit ? tr(field.unit) : QString(), field.maxLength);
        SettingBinding::bindLineEdit(edit, settings, field.key);
        if (field.key == SettingKey::RxNum)
            m_rxNo = edit;
        if (field.key == SettingKey::RxLine)
            addReceiverAccount(settings); // beside the receiver and line numbers it goes with
    }
    m_rxNo->installEventFilter(this);

    const int row = m_rows++;
    auto *addTerminator = new QCheckBox(tr("Add ----->"), this);
    addTerminator->setObjectName(QStringLiteral("CheckDC4"));
    SettingBinding::bindCheckBox(addTerminator, settings, SettingKey::TxAck);
    auto *terminator = new QLineEdit(this);
    terminator->setObjectName(QStringLiteral("Terminate"));
    m_keyFilter->attach(terminator, 2);
    SettingBinding::bindLineEdit(terminator, settings, SettingKey::TermChar);
    m_layout->addWidget(addTerminator, row, 0);
    m_layout->addWidget(terminator, row, 1);

    QLineEdit *faultWarning =
        addNumberField(QStringLiteral("FltWarning"), tr("Fault Warning:"), tr("Sec"), 2);
    SettingBinding::bindLineEdit(faultWarning, settings, SettingKey::FltTimer);
}

// The account the monitor's own trouble lines go under: 4 to 6 digits or hex letters B-F, as a
// Contact ID account may be; empty for none. Letters are taken as capitals.
void HeartBeatGroup::addReceiverAccount(Settings &settings) {
    const int row = m_rows++;
    auto *edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("ReceiverAccount"));
    edit->setMaxLength(6);
    static const QRegularExpression accountForm(QStringLiteral("([0-9B-F]{4,6})?"));
    edit->setValidator(new CapitalsValidator(accountForm, edit));
    SettingBinding::bindLineEdit(edit, settings, SettingKey::ReceiverAccount);
    m_layout->addWidget(new QLabel(tr("Receiver Account:"), this), row, 0);
    m_layout->addWidget(edit, row, 1, 1, 2);
}

QLineEdit *HeartBeatGroup::addNumberField(const QString &name, const QString &caption,
                                          const QString &unit, int maxLength) {
    const int row = m_rows++;
    auto *edit = new QLineEdit(this);
    edit->setObjectName(name);
    m_keyFilter->attach(edit, maxLength);
    m_layout->addWidget(new QLabel(caption, this), row, 0);
    m_layout->addWidget(edit, row, 1);
    if (!unit.isEmpty())
        m_layout->addWidget(new QLabel(unit, this), row, 2);
    return edit;
}

bool HeartBeatGroup::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_rxNo && event->type() == QEvent::FocusOut &&
        m_rxNo->text().size() < rxNumberLength)
        m_rxNo->setText(QStringLiteral("0") + m_rxNo->text());
    return QGroupBox::eventFilter(watched, event);
}
