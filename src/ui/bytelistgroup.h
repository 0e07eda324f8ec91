#pragma once

#include <QGroupBox>

class ByteListModel;

// A captioned list of received text ("Received Data", "Pending Messages") with its "Clear"
// button. The list holds any number of items; every item is one line.
class ByteListGroup : public QGroupBox {
    Q_OBJECT
public:
    ByteListGroup(const QString &caption, const QString &listName, const QString &clearName,
                  ByteListModel &model, QWidget *parent = nullptr);
};
