#pragma once

#include <QString>

// Every question ("Yes"/"No") and notice ("OK") shown to the operator goes through this
// interface. The program shows message boxes; tests install a scripted implementation.
class OperatorDialogs {
public:
    virtual ~OperatorDialogs() = default;

    // A modal question that follows an operator's action; true for Yes.
    virtual bool question(const QString &title, const QString &text) = 0;
    // A modal notice that follows an operator's action.
    virtual void notice(const QString &title, const QString &text) = 0;
    // The same, showing by its icon that something was refused or not found, or that it only
    // informs. Where no icon can be shown it is a plain notice.
    virtual void errorNotice(const QString &title, const QString &text) { notice(title, text); }
    virtual void informationNotice(const QString &title, const QString &text) {
        notice(title, text);
    }
    // A notice raised from a timer tick: shown without blocking the caller, never more than one
    // at a time (a notice already on screen absorbs the repeat).
    virtual void backgroundNotice(const QString &title, const QString &text) = 0;
};

// The system beep; the offscreen platform has none, tests count beeps.
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};
