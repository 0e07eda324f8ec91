#pragma once

#include <QObject>

class OperatorDialogs;
class QSpinBox;
class QWidget;

// The missed-poll allowance is confirmed whenever the operator leaves its field for another
// control of the same window, changed or not; "No" puts back the value the field had when the
// operator came to it. Losing the focus to another window (the question itself, another
// program) asks nothing: the question comes when the operator moves on inside this window.
class AllowanceConfirmation : public QObject {
    Q_OBJECT
public:
    AllowanceConfirmation(QSpinBox *field, OperatorDialogs &dialogs);

private:
    void focusMoved(QWidget *now);

    QSpinBox *m_field;
    OperatorDialogs &m_dialogs;
    int m_valueAtEntry = 0;
    bool m_inside = false;
};
