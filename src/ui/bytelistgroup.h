#pragma once

#include <QGroupBox>
#include <functional>

class ByteListModel;
class QAbstractItemModel;

// A captioned list of received text ("Received Data", "Pending Messages") with its "Clear"
// button. The list holds any number of items; every item is one line.
class ByteListGroup : public QGroupBox {
    Q_OBJECT
public:
    ByteListGroup(const QString &caption, const QString &listName, const QString &clearName,
                  ByteListModel &model, QWidget *parent = nullptr);
    // A list whose "Clear" does more than empty the model (asks, keeps a copy).
    ByteListGroup(const QString &caption, const QString &listName, const QString &clearName,
                  QAbstractItemModel &model, const std::function<void()> &clearItems,
                  QWidget *parent = nullptr);
};
