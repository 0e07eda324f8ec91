#include "bytelistgroup.h"

#include "events/bytelistmodel.h"

#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

ByteListGroup::ByteListGroup(const QString &caption, const QString &listName,
                             const QString &clearName, ByteListModel &model, QWidget *parent)
    : ByteListGroup(
          caption, listName, clearName, model, [&model] { model.clear(); }, parent) {}

ByteListGroup::ByteListGroup(const QString &caption, const QString &listName,
                             const QString &clearName, QAbstractItemModel &model,
                             const std::function<void()> &clearItems, QWidget *parent)
    : QGroupBox(caption, parent) {
    setObjectName(listName + QStringLiteral("Group"));
    auto *view = new QListView(this);
    view->setObjectName(listName);
    view->setModel(&model);
    // Uniform items keep a list of many thousand lines cheap to lay out.
    view->setUniformItemSizes(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto *clear = new QPushButton(tr("Clear"), this);
    clear->setObjectName(clearName);
    connect(clear, &QPushButton::clicked, &model, clearItems);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(view);
    layout->addWidget(clear, 0, Qt::AlignRight);
}
