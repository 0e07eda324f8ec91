#include "digitkeyfilter.h"

#include <QKeyEvent>
#include <QLineEdit>

void DigitKeyFilter::attach(QLineEdit *field, int maxLength) {
    field->setMaxLength(maxLength);
    field->installEventFilter(this);
}

bool DigitKeyFilter::discards(QChar typed) {
    // Keys that produce no printable character (Delete, control combinations) are editing keys.
    return typed == u' ' || (typed.unicode() > u'9' && typed.isPrint());
}

bool DigitKeyFilter::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString typed = key->text();
        // Control combinations (copy, paste, undo) are editing commands, whatever text they carry.
        const bool command = key->modifiers().testFlag(Qt::ControlModifier);
        if (!command && !typed.isEmpty() && discards(typed.front()))
            return true;
    }
    return QObject::eventFilter(watched, event);
}
