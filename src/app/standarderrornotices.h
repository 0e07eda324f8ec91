#pragma once

#include "common/operatordialogs.h"

#include <QString>

// The operator's notices for a monitor that runs without windows: every question and notice
// becomes a line on standard error with the date and time (where a service manager's journal
// keeps it). Nobody is there to answer, so a question is answered No, which changes nothing.
class StandardErrorNotices : public OperatorDialogs, public Beeper {
public:
    bool question(const QString &title, const QString &text) override;
    void notice(const QString &title, const QString &text) override;
    void backgroundNotice(const QString &title, const QString &text) override;
    // Nobody hears a service; the Tx fault that beeps is reported as a notice instead.
    void beep() override {}

    // One line: "yyyy-MM-dd hh:mm:ss title: text", line breaks of the text folded into blanks.
    static void write(const QString &title, const QString &text);
};
