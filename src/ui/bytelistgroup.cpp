#include "bytelistgroup.h"

#include "events/bytelistmodel.h"

#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

ByteListGroup::ByteListGroup(const QString &caption, const QString &listName,
                             const QString &clearName, ByteListModel &model, QWidget *parent)
    : QGroupBox(caption, parent) {
    setObjectName(listName + QStringLiteral("Group"));
    auto *view = new QListView(this);
    view->setObjectName(listName);
    view->setModel(&model);
    // Uniform items keep a list of many thousand lines cheap to lay out.
    view->setUniformItemSizes(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto *clear = new QPushButton(QStringLiteral("Clear"), this);
    clear->setObjectName(clearName);
    connect(clear, &QPushButton::clicked, &model, &ByteListModel::clear);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(view);
    layout->addWidget(clear, 0, Qt::AlignRight);
}
