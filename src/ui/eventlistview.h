#pragma once

#include <QIdentityProxyModel>
#include <QList>

class EventListModel;
class QTableView;
class QWidget;

// How one event list is shown: the view's name, each column's least width in pixels and whether
// its text is centred, and whether the caption column can be edited in place.
struct EventListLayout {
    struct Column {
        int width;
        bool centred;
    };
    QString name;
    QList<Column> columns;
    bool captionEditable = false;
};

EventListLayout contactIdLayout(); // ContactIDList
EventListLayout fastLayout();      // FastList
EventListLayout siaLayout();       // SIAList
EventListLayout pollLayout();      // Poll_List

// Gives the columns their alignment without touching the list itself.
class ColumnAlignmentProxy : public QIdentityProxyModel {
    Q_OBJECT
public:
    ColumnAlignmentProxy(QList<bool> centred, QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QList<bool> m_centred;
};

// A report-style view of an event list: grid lines, whole-row selection, rows of one fixed
// height (so hundreds of thousands of rows scroll without measuring each), no sorting. Its
// columns are kept wide enough for their texts (ListColumnWidths, a child of the view) and it
// follows new rows while the operator watches the newest (NewRowFollower).
QTableView *createEventListView(const EventListLayout &layout, EventListModel &model,
                                QWidget *parent);
