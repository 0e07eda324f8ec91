#include "wholelinedelegate.h"

#include "listcolumnwidths.h"

#include <QListView>

WholeLineDelegate::WholeLineDelegate(QListView &view)
    : QStyledItemDelegate(&view)
    , m_view(view) {
    const QAbstractItemModel *model = view.model();
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { measure(first, last); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { m_widest = m_widestText = 0; });
    view.setItemDelegate(this);
    if (model->rowCount() > 0)
        measure(0, model->rowCount() - 1);
}

QSize WholeLineDelegate::sizeHint(const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const {
    const QSize size = QStyledItemDelegate::sizeHint(option, index);
    return {std::max(size.width(), m_widest), size.height()};
}

void WholeLineDelegate::measure(int first, int last) {
    const QAbstractItemModel *model = m_view.model();
    const QFontMetrics metrics = m_view.fontMetrics();
    int widest = 0;
    for (int row = first; row <= last; ++row)
        widest =
            std::max(widest, metrics.horizontalAdvance(model->index(row, 0).data().toString()));
    if (widest <= m_widestText)
        return;
    m_widestText = widest;
    // With the blank the style leaves around the text.
    const QString blank(1, QLatin1Char(' '));
    m_widest = widest + cellWidthFor(m_view, blank) - metrics.horizontalAdvance(blank);
    emit sizeHintChanged(model->index(first, 0));
}
