#include "newrowfollower.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QScrollBar>
#include <algorithm>

NewRowFollower::NewRowFollower(QAbstractItemView &view)
    : QObject(&view)
    , m_view(view) {
    const QAbstractItemModel *model = view.model();
    connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] { beforeInsert(); });
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { afterInsert(first, last); });
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { beforeRemove(); });
    connect(model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int last) { afterRemove(first, last); });
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beforeReset(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { afterReset(); });
    // A view that shrinks or grows while it shows the newest row keeps showing it.
    view.viewport()->installEventFilter(this);
}

bool NewRowFollower::eventFilter(QObject *watched, QEvent *event) {
    // Seen before the view takes its new size, so the old one still tells where it was.
    if (event->type() == QEvent::Resize && watched == m_view.viewport() && !m_following &&
        watchesNewest())
        followLater();
    return QObject::eventFilter(watched, event);
}

void NewRowFollower::beforeInsert() {
    if (!m_following && watchesNewest())
        followLater();
    noteTopRow();
}

void NewRowFollower::afterInsert(int first, int last) {
    const int count = last - first + 1;
    m_newest = last;
    if (m_topRow >= 0 && first <= m_topRow)
        keepTopRow(count);
    m_topRow = -1;
}

void NewRowFollower::beforeRemove() {
    if (!m_following && watchesNewest())
        followLater();
    noteTopRow();
}

void NewRowFollower::afterRemove(int first, int last) {
    const int count = last - first + 1;
    if (m_newest > last)
        m_newest -= count;
    else if (m_newest >= first)
        m_newest = -1;
    // Rows gone above the first row in sight; when that row went too, the next one stays put.
    if (m_topRow >= 0 && first < m_topRow)
        keepTopRow(-(std::min(last + 1, m_topRow) - first));
    m_topRow = -1;
}

void NewRowFollower::beforeReset() {
    if (!m_following && watchesNewest())
        followLater();
}

void NewRowFollower::afterReset() {
    m_newest = -1;
    m_topRow = -1;
}

// Rows are all of one height. Scrolled by rows, the scroll bar tells which rows are in sight
// without asking the view to lay itself out, so a new row costs the same in any length of list.
bool NewRowFollower::scrollsByRows() const {
    return m_view.verticalScrollMode() == QAbstractItemView::ScrollPerItem;
}

bool NewRowFollower::watchesNewest() const {
    const QScrollBar *bar = m_view.verticalScrollBar();
    if (bar->value() >= bar->maximum())
        return true;
    if (m_newest < 0)
        return false;
    if (scrollsByRows())
        return m_newest >= bar->value() && m_newest < bar->value() + bar->pageStep();
    const QRect row = m_view.visualRect(m_view.model()->index(m_newest, 0));
    return row.isValid() && row.bottom() >= 0 && row.top() < m_view.viewport()->height();
}

// Only a view that does not follow the newest row keeps its rows in place.
void NewRowFollower::noteTopRow() {
    m_topRow = -1;
    if (m_following)
        return;
    if (scrollsByRows()) {
        m_topRow = m_view.verticalScrollBar()->value();
        m_stepsPerRow = 1;
        return;
    }
    const QModelIndex top = m_view.indexAt(QPoint(1, 1));
    if (top.isValid()) {
        m_topRow = top.row();
        m_stepsPerRow = m_view.visualRect(top).height();
    }
}

// Rows arrived (movedBy > 0) or left (< 0) above the rows in sight: the scroll position moves
// with them, so the same rows stay where the operator sees them.
void NewRowFollower::keepTopRow(int movedBy) {
    QScrollBar *bar = m_view.verticalScrollBar();
    bar->setValue(bar->value() + movedBy * m_stepsPerRow);
}

void NewRowFollower::followLater() {
    m_following = true;
    QMetaObject::invokeMethod(this, &NewRowFollower::scrollToNewest, Qt::QueuedConnection);
}

void NewRowFollower::scrollToNewest() {
    m_following = false;
    const QAbstractItemModel *model = m_view.model();
    const int rows = model->rowCount();
    if (m_newest < 0 || m_newest >= rows - 1) {
        m_view.scrollToBottom();
        return;
    }
    // A sorted list may place the newest row above others: it is shown where it stands.
    const QModelIndex inSight = m_view.indexAt(QPoint(1, 1));
    const int column = inSight.isValid() ? inSight.column() : 0;
    m_view.scrollTo(model->index(m_newest, column), QAbstractItemView::EnsureVisible);
}
