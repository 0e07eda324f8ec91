#pragma once

#include "common/operatordialogs.h"

#include <QList>
#include <QString>

// Records every question and notice and answers questions as the test scripted them (Yes when
// nothing is scripted), so no modal box is ever left open.
class ScriptedDialogs : public OperatorDialogs {
public:
    struct Entry {
        enum Kind { Question, Notice, BackgroundNotice } kind;
        QString title;
        QString text;
        enum Icon { NoIcon, Error, Information } icon = NoIcon;
    };

    bool question(const QString &title, const QString &text) override {
        asked.append({Entry::Question, title, text, Entry::NoIcon});
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    void notice(const QString &title, const QString &text) override {
        asked.append({Entry::Notice, title, text, Entry::NoIcon});
    }
    void errorNotice(const QString &title, const QString &text) override {
        asked.append({Entry::Notice, title, text, Entry::Error});
    }
    void informationNotice(const QString &title, const QString &text) override {
        asked.append({Entry::Notice, title, text, Entry::Information});
    }
    void backgroundNotice(const QString &title, const QString &text) override {
        asked.append({Entry::BackgroundNotice, title, text, Entry::NoIcon});
    }

    QStringList texts() const {
        QStringList result;
        for (const Entry &entry : asked)
            result.append(entry.text);
        return result;
    }

    QList<bool> answers; // next answers to questions, in order
    QList<Entry> asked;
};
