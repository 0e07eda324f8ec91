#include "digitkeyfilter.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QValidator>

namespace {

// The same rule for whatever the operator puts in, typed or pasted (Ctrl+V, Shift+Insert, the
// context menu): no character the keys would drop, and no text longer than the field holds. A
// longer value from the settings may still be shortened; it only may not grow. A text the
// program sets (from the settings) is taken as it is.
class DigitFieldValidator : public QValidator {
public:
    DigitFieldValidator(QLineEdit *field, int maxLength)
        : QValidator(field)
        , m_field(field)
        , m_maxLength(maxLength)
        , m_acceptedLength(field->text().size()) {
        // The field shows the new text before it asks; the length it had comes from here.
        connect(field, &QLineEdit::textChanged, this,
                [this](const QString &text) { m_acceptedLength = text.size(); });
    }

    State validate(QString &input, int &) const override {
        if (!m_field || !m_field->isModified())
            return Acceptable;
        for (const QChar typed : input) {
            if (DigitKeyFilter::discards(typed))
                return Invalid;
        }
        return input.size() > m_maxLength && input.size() > m_acceptedLength ? Invalid : Acceptable;
    }

private:
    QPointer<QLineEdit> m_field;
    int m_maxLength;
    qsizetype m_acceptedLength;
};

} // namespace

void DigitKeyFilter::attach(QLineEdit *field, int maxLength) {
    m_maxLengths.insert(field, maxLength);
    connect(field, &QObject::destroyed, this, [this](QObject *gone) { m_maxLengths.remove(gone); });
    field->installEventFilter(this);
    field->setValidator(new DigitFieldValidator(field, maxLength));
}

bool DigitKeyFilter::discards(QChar typed) {
    // Keys that produce no printable character (Delete, control combinations) are editing keys.
    return typed == u' ' || (typed.unicode() > u'9' && typed.isPrint());
}

bool DigitKeyFilter::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const QString typed = key->text();
    // Control combinations (copy, paste, undo) are editing commands, whatever text they carry;
    // what they insert is held to the rule by the field's validator.
    if (key->modifiers().testFlag(Qt::ControlModifier) || typed.isEmpty() ||
        !typed.front().isPrint())
        return false;
    if (discards(typed.front()))
        return true;
    const auto *field = qobject_cast<const QLineEdit *>(watched);
    return field && field->text().size() - field->selectedText().size() >=
                        m_maxLengths.value(watched, field->maxLength());
}
