#pragma once

#include <QStyledItemDelegate>

class QListView;

// Shows a list of text lines whole: every row is as wide as the widest line the list has held
// since it was last emptied, so a line wider than the page gives the list a horizontal scroll
// bar instead of being cut short. (A list of rows of one size would otherwise take the width of
// its first row for all.) Each line is measured once, when it arrives.
class WholeLineDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // The view must have its model already.
    explicit WholeLineDelegate(QListView &view);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    void measure(int first, int last);

    QListView &m_view;
    int m_widestText = 0; // the widest line's text
    int m_widest = 0;     // its row
};
