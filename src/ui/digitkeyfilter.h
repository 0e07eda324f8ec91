#pragma once

#include <QHash>
#include <QObject>

class QLineEdit;

// The key rule of the short number fields (Rx number and line, attempts, time-outs, terminator):
// a typed character above "9", or a blank, is dropped; digits, control keys and the punctuation
// below "0" pass. Pasted text is held to the same rule. The length limit applies to what the
// operator enters only: a longer value from the settings is shown whole, as the engine uses it.
class DigitKeyFilter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    void attach(QLineEdit *field, int maxLength);

    static bool discards(QChar typed);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QHash<const QObject *, int> m_maxLengths;
};
