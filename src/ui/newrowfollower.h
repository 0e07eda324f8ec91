#pragma once

#include <QObject>

class QAbstractItemView;

// Keeps the newest row of a list in sight while the operator watches it, as a log view does: a
// view at its end, or showing the row that arrived last, brings each new row into view. A view
// the operator has scrolled elsewhere stays on the rows it shows, also while rows arrive or leave
// above them, until the operator comes back to the end.
// The scroll is made once the rows of one burst have all arrived, so each row costs the same
// however long the list is.
class NewRowFollower : public QObject {
    Q_OBJECT
public:
    // The view must have its model already.
    explicit NewRowFollower(QAbstractItemView &view);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void beforeInsert();
    void afterInsert(int first, int last);
    void beforeRemove();
    void afterRemove(int first, int last);
    void beforeReset();
    void afterReset();

    bool scrollsByRows() const;
    bool watchesNewest() const;
    void noteTopRow();
    void keepTopRow(int movedBy);
    void followLater();
    void scrollToNewest();

    QAbstractItemView &m_view;
    int m_newest = -1;        // the row that arrived last, where it now stands; -1: none known
    int m_topRow = -1;        // the first row in sight before a change, while not following
    int m_stepsPerRow = 1;    // scroll bar steps a row takes: 1, or its height in pixels
    bool m_following = false; // a scroll to the newest row is on its way
};
