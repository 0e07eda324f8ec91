#include "digitkeyfilter.h"

#include <QKeyEvent>
#include <QLineEdit>

void DigitKeyFilter::attach(QLineEdit *field, int maxLength) {
    m_maxLengths.insert(field, maxLength);
    connect(field, &QObject::destroyed, this, [this](QObject *gone) { m_maxLengths.remove(gone); });
    field->installEventFilter(this);
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
    // Control combinations (copy, paste, undo) are editing commands, whatever text they carry.
    if (key->modifiers().testFlag(Qt::ControlModifier) || typed.isEmpty() ||
        !typed.front().isPrint())
        return false;
    if (discards(typed.front()))
        return true;
    const auto *field = qobject_cast<const QLineEdit *>(watched);
    return field && field->text().size() - field->selectedText().size() >=
                        m_maxLengths.value(watched, field->maxLength());
}
