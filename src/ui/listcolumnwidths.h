#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QAbstractItemView;
class QFontMetrics;
class QTableView;

// The widest text the date-time convention gives in this font: every month, weekday and
// half of the day tried, each digit counted as the widest digit.
QString widestDateTimeText(const QFontMetrics &metrics);
// The width a cell of `view` needs to show `text` uncut, its grid line included.
int cellWidthFor(const QAbstractItemView &view, const QString &text);

// Keeps the columns of an event list wide enough for what they show: each column is at least its
// given width, its heading (translated, in the header's font) and, for the caption column, the
// widest date-time text in the list's font. Measured from those texts alone, never from the
// rows, so the list's length costs nothing; measured again when the language or the font
// changes. A column the operator has resized keeps the operator's width.
class ListColumnWidths : public QObject {
    Q_OBJECT
public:
    // `givenWidths` holds one width per column; column 0 holds the date-time captions.
    ListColumnWidths(QTableView &view, QList<int> givenWidths);

    // The width the program gives the column when the operator has not set one.
    int programWidth(int column) const;

    // The operator's widths as kept in the settings: one entry per column, separated by blanks,
    // "-" for a column left to the program; empty when the operator has resized none.
    QString operatorWidths() const;
    // Takes widths in that form; a missing, unreadable or non-positive entry leaves its column
    // to the program, entries beyond the last column are ignored.
    void setOperatorWidths(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyWidths();
    void noteResize(int column, int width);
    void remeasure();

    QTableView &m_view;
    QList<int> m_given;
    QList<int> m_operator; // 0: not set by the operator
    bool m_applying = false;
    bool m_remeasurePending = false;
};
