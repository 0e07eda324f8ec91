#include "allowanceconfirmation.h"

#include "accounteditorgroup.h"
#include "common/operatordialogs.h"

#include <QApplication>
#include <QSpinBox>

AllowanceConfirmation::AllowanceConfirmation(QSpinBox *field, OperatorDialogs &dialogs)
    : QObject(field)
    , m_field(field)
    , m_dialogs(dialogs) {
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { focusMoved(now); });
}

void AllowanceConfirmation::focusMoved(QWidget *now) {
    if (!now)
        return;
    if (isWithin(now, m_field)) {
        if (!m_inside)
            m_valueAtEntry = m_field->value();
        m_inside = true;
        return;
    }
    if (!m_inside || now->window() != m_field->window())
        return;
    m_inside = false;
    if (!m_dialogs.question(tr("Confirm"),
                            tr("Are you sure you want to alter the Poll timeout value?")))
        m_field->setValue(m_valueAtEntry);
}
