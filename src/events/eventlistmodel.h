#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

// One event list ("Contact ID", "Fast Format", "SIA", "Polling") as a table model. A row is a
// caption (the date-time text) and up to columnCount() - 1 cells; a row may be shorter than
// the column list. Rows are appended in amortised constant time; a list kept in caption order
// ("SIA") inserts each row at its place by binary search, after rows with an equal caption.
// Rows are packed into one byte array each, so a list of a million rows stays small.
// A list holds at most rowLimit() rows: a monitor that runs for months at a hundred messages a
// second would otherwise fill the memory of any machine. A row added to a full list first takes
// the oldest hundredth of the rows away (in one step, so the views move their rows once, not on
// every row); aboutToDrop() comes first, so the list export still writes each of them.
// `headings` names every column, the caption's ("Date / Time") first.
class EventListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class Order { Arrival, ByCaption };
    // Rows held at most: with the three other lists full as well, about half a gigabyte.
    static constexpr int defaultRowLimit = 1'000'000;

    EventListModel(QString objectName, QStringList headings, Order order,
                   bool captionEditable = false, QObject *parent = nullptr);
    ~EventListModel() override;

    // Adds a row: caption plus cells (the first cell is the source). Cells are bytes, shown as
    // Latin-1.
    void addRow(const QString &caption, const QList<QByteArray> &cells);
    // Removes every row; aboutToClear() comes first, while the rows are still there.
    void clear();

    // At least 1; set before the list fills (each row added beyond it lets a hundredth go).
    void setRowLimit(int limit);
    int rowLimit() const { return m_rowLimit; }

    // Rows in arrival order since the last clear: row k of arrival is the k-th row added.
    // arrived() counts them, those taken away as the oldest included.
    // The export line of that row: caption + the first `columns` cells, each after one blank
    // (fewer when the row is shorter). The caption is in the local 8-bit encoding, the cells are
    // their bytes; exportText() is the same line as text. Out of range or taken away: empty.
    qint64 arrived() const;
    QByteArray exportLine(qint64 arrivalIndex, int columns) const;
    QString exportText(qint64 arrivalIndex, int columns) const;

    QString caption(int row) const;             // display order
    QByteArray cell(int row, int column) const; // column 1 is the first cell; empty past the row
    int cellCount(int row) const;               // cells of the row, caption not counted

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // A caption edited in place (column 0 of a list with editable captions) replaces the row's
    // caption, for the view and for a later export; a sorted list moves the row to its place.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    // Every row is about to go: the last moment to read them (the list export uses it).
    void aboutToClear();
    // The list is full: the rows that arrived before `arrivalIndex` are about to go.
    void aboutToDrop(qint64 arrivalIndex);

private:
    struct Storage;
    const QByteArray *rowAt(int row) const; // display order; null when out of range
    const QByteArray *arrivedRow(qint64 arrivalIndex) const;
    void dropOldest();
    void dropFromSorted(qsizetype count);

    QStringList m_headings;
    Order m_order;
    bool m_captionEditable;
    int m_rowLimit = defaultRowLimit;
    std::unique_ptr<Storage> m_storage;
};

// The four lists of the main window with their headings.
struct EventLists {
    EventLists();
    EventListModel poll;      // Poll_List
    EventListModel contactId; // ContactIDList
    EventListModel fast;      // FastList
    EventListModel sia;       // SIAList

private:
    static QStringList fastHeadings();
};
