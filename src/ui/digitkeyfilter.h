#pragma once

#include <QObject>

class QLineEdit;

// The key rule of the short number fields (Rx number and line, attempts, time-outs, terminator):
// a typed character above "9", or a blank, is dropped; digits, control keys and the punctuation
// below "0" pass.
class DigitKeyFilter : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Installs the filter on the field and limits it to maxLength characters.
    void attach(QLineEdit *field, int maxLength);

    static bool discards(QChar typed);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
