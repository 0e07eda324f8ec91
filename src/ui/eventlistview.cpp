#include "eventlistview.h"

#include "events/eventlistmodel.h"
#include "listcolumnwidths.h"
#include "newrowfollower.h"

#include <QHeaderView>
#include <QTableView>

namespace {

using Column = EventListLayout::Column;

constexpr Column caption{110, false};
constexpr Column source{100, false};
constexpr Column centredSource{100, true};
constexpr Column account{60, true};

} // namespace

EventListLayout contactIdLayout() {
    return {QStringLiteral("ContactIDList"),
            {caption, source, account, {50, true}, {155, false}, {50, true}, {75, true}},
            false};
}

EventListLayout fastLayout() {
    QList<Column> columns{caption, source, account};
    for (int zone = 1; zone <= 9; ++zone)
        columns.append({20, true});
    for (int zone = 10; zone <= 16; ++zone)
        columns.append({25, true});
    columns.append({35, true});
    return {QStringLiteral("FastList"), columns, true};
}

EventListLayout siaLayout() {
    return {QStringLiteral("SIAList"),
            {caption, centredSource, account, {280, false}, {280, false}},
            false};
}

EventListLayout pollLayout() {
    return {QStringLiteral("Poll_List"),
            {caption, source, account, {60, true}, {70, true}, {75, true}, {70, true}, {70, true}},
            false};
}

ColumnAlignmentProxy::ColumnAlignmentProxy(QList<bool> centred, QObject *parent)
    : QIdentityProxyModel(parent)
    , m_centred(std::move(centred)) {}

QVariant ColumnAlignmentProxy::data(const QModelIndex &index, int role) const {
    if (role != Qt::TextAlignmentRole || !index.isValid())
        return QIdentityProxyModel::data(index, role);
    const bool centred = index.column() < m_centred.size() && m_centred.at(index.column());
    return QVariant::fromValue(Qt::Alignment(Qt::AlignVCenter) |
                               (centred ? Qt::AlignHCenter : Qt::AlignLeft));
}

QTableView *createEventListView(const EventListLayout &layout, EventListModel &model,
                                QWidget *parent) {
    auto *view = new QTableView(parent);
    view->setObjectName(layout.name);
    QList<bool> centred;
    for (const Column &column : layout.columns)
        centred.append(column.centred);
    auto *proxy = new ColumnAlignmentProxy(centred, view);
    proxy->setSourceModel(&model);
    view->setModel(proxy);

    view->setShowGrid(true);
    view->setWordWrap(false);
    view->setSortingEnabled(false);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(layout.captionEditable ? QAbstractItemView::DoubleClicked |
                                                       QAbstractItemView::EditKeyPressed |
                                                       QAbstractItemView::SelectedClicked
                                                 : QAbstractItemView::NoEditTriggers);

    QHeaderView *rows = view->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(view->fontMetrics().height() + 4);

    QHeaderView *columns = view->horizontalHeader();
    columns->setSectionsClickable(true);
    columns->setHighlightSections(false);
    // The style's minimum is wider than the 20-pixel zone columns of the Fast Format list.
    columns->setMinimumSectionSize(8);
    QList<int> widths;
    for (const Column &column : layout.columns)
        widths.append(column.width);
    new ListColumnWidths(*view, widths);
    new NewRowFollower(*view);
    return view;
}
