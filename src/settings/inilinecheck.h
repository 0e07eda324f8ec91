#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A settings file in the INI format looked at line by line, for the lines the INI reader would
// skip or misread: a section line not closed by "]" (or with text after it), a line without "="
// or without a name before it, a quote left open, a backslash that joins the next line or that
// starts no escape the reader knows, and bytes that are not UTF-8 text.
struct IniLineCheck {
    struct Damage {
        int line = 0; // counted from 1
        QString what;
    };
    QList<Damage> damaged;
    // The file without its damaged lines, a broken section line replaced by a sound one of the
    // name the reader would take from it (so that the lines below it keep their section).
    QByteArray soundText;

    // "line 3: no \"=\"; line 7: quote not closed"; no text of the lines themselves, which may
    // hold a password.
    QString description() const;
};

IniLineCheck checkIniLines(const QByteArray &content);
