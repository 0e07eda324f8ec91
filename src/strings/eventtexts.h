#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// The texts shown for Contact ID and SIA event codes. Every named text is a translatable string
// of the program; the tables are built once, when the main window is created, and then only read.
class EventTexts {
public:
    EventTexts(); // builds both tables with the texts of the active language

    // The Contact ID text of a code 0..999: the named text, or the code in decimal ("7", "999").
    QByteArray ContactIDText(int code) const;
    // The first SIA entry among 1..200 whose first two bytes equal the code, compared exactly;
    // empty when none matches.
    QByteArray findSiaText(const QByteArray &code) const;
    // Entry 0..200 of the SIA table.
    QByteArray SIAText(int index) const;

private:
    std::vector<QByteArray> m_contactId; // 1000 entries
    std::vector<QByteArray> m_sia;       // 201 entries
};
