#include "eventlistmodel.h"

#include "sortedrowindex.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <cstring>
#include <deque>
#include <vector>

namespace {

// Headings are kept in English and translated when a view asks for them.
constexpr const char *headingContext = "EventLists";

QString heading(const char *text) {
    return QString::fromLatin1(text);
}

// A row is one byte array: the caption (UTF-8) and then each cell, every field preceded by its
// length in 7-bit groups (low group first, high bit set while more follow). Cells are short, so
// a length costs one byte and a row one allocation.
qsizetype lengthSize(qsizetype length) {
    qsizetype bytes = 1;
    while (length >= 0x80) {
        length >>= 7;
        ++bytes;
    }
    return bytes;
}

char *putField(char *out, QByteArrayView field) {
    auto length = static_cast<quint64>(field.size());
    while (length >= 0x80) {
        *out++ = static_cast<char>((length & 0x7F) | 0x80);
        length >>= 7;
    }
    *out++ = static_cast<char>(length);
    if (!field.isEmpty())
        std::memcpy(out, field.data(), static_cast<std::size_t>(field.size()));
    return out + field.size();
}

QByteArray packRow(QByteArrayView caption, const QList<QByteArray> &cells) {
    qsizetype total = lengthSize(caption.size()) + caption.size();
    for (const QByteArray &cell : cells)
        total += lengthSize(cell.size()) + cell.size();
    QByteArray row(total, Qt::Uninitialized);
    char *out = putField(row.data(), caption);
    for (const QByteArray &cell : cells)
        out = putField(out, cell);
    return row;
}

// Walks the fields of a packed row: field 0 is the caption, field k the k-th cell.
class FieldReader {
public:
    explicit FieldReader(const QByteArray &row)
        : m_next(row.constData())
        , m_end(row.constData() + row.size()) {}

    bool next(QByteArrayView &field) {
        if (m_next == m_end)
            return false;
        quint64 length = 0;
        int shift = 0;
        unsigned char byte = 0;
        do {
            byte = static_cast<unsigned char>(*m_next++);
            length |= static_cast<quint64>(byte & 0x7F) << shift;
            shift += 7;
        } while ((byte & 0x80) != 0);
        field = QByteArrayView(m_next, static_cast<qsizetype>(length));
        m_next += length;
        return true;
    }

private:
    const char *m_next;
    const char *m_end;
};

QByteArrayView fieldOf(const QByteArray &row, int field) {
    FieldReader reader(row);
    QByteArrayView view;
    for (int k = 0; k <= field; ++k) {
        if (!reader.next(view))
            return QByteArrayView();
    }
    return view;
}

int fieldCount(const QByteArray &row) {
    FieldReader reader(row);
    QByteArrayView view;
    int count = 0;
    while (reader.next(view))
        ++count;
    return count;
}

// Orders two UTF-8 texts as QString orders their UTF-16 forms. Byte order is code point order,
// which agrees with UTF-16 order except between U+E000..U+FFFF (lead bytes 0xEE, 0xEF) and the
// characters beyond U+FFFF (lead bytes 0xF0..0xF4, surrogates in UTF-16), so only that first
// difference is turned round. No caption is decoded for a comparison.
int compareAsUtf16(QByteArrayView left, QByteArrayView right) {
    const qsizetype common = std::min(left.size(), right.size());
    for (qsizetype i = 0; i < common; ++i) {
        const auto a = static_cast<unsigned char>(left[i]);
        const auto b = static_cast<unsigned char>(right[i]);
        if (a == b)
            continue;
        const bool aHigh = a == 0xEE || a == 0xEF;
        const bool bHigh = b == 0xEE || b == 0xEF;
        if ((aHigh && b >= 0xF0) || (bHigh && a >= 0xF0))
            return a < b ? 1 : -1;
        return a < b ? -1 : 1;
    }
    return left.size() < right.size() ? -1 : (left.size() > right.size() ? 1 : 0);
}

} // namespace

// More runs of dropped rows than this and a sorted list is shown again from scratch: each run
// would move every row below it in the views.
constexpr std::size_t maxDroppedRuns = 8;

struct EventListModel::Storage {
    std::deque<QByteArray> rows; // arrival order, the oldest still held first
    qint64 dropped = 0;          // the oldest rows taken away since the last clear
    // Display order of a list kept by caption, as arrival numbers modulo 2^32: fewer rows than
    // that are ever held, so the distance to the oldest held row is always right.
    SortedRowIndex sorted;

    std::size_t indexOf(quint32 arrival) const {
        return static_cast<quint32>(arrival - static_cast<quint32>(dropped));
    }
    const QByteArray &row(quint32 arrival) const { return rows[indexOf(arrival)]; }
    quint32 nextArrival() const { return static_cast<quint32>(dropped + qint64(rows.size())); }

    qsizetype insertPosition(QByteArrayView caption, Order order) const {
        if (order == Order::Arrival)
            return static_cast<qsizetype>(rows.size());
        // After every row with an equal caption, so equal captions keep their arrival order.
        return sorted.upperBound(
            [&](quint32 arrival) { return compareAsUtf16(caption, fieldOf(row(arrival), 0)) < 0; });
    }
};

EventListModel::EventListModel(QString objectName, QStringList headings, Order order,
                               bool captionEditable, QObject *parent)
    : QAbstractTableModel(parent)
    , m_headings(std::move(headings))
    , m_order(order)
    , m_captionEditable(captionEditable)
    , m_storage(std::make_unique<Storage>()) {
    setObjectName(objectName);
}

EventListModel::~EventListModel() = default;

void EventListModel::setRowLimit(int limit) {
    m_rowLimit = std::max(limit, 1);
}

void EventListModel::addRow(const QString &caption, const QList<QByteArray> &cells) {
    if (rowCount() >= m_rowLimit)
        dropOldest();
    const QByteArray captionBytes = caption.toUtf8();
    const auto position = static_cast<int>(m_storage->insertPosition(captionBytes, m_order));
    const quint32 arrival = m_storage->nextArrival();
    beginInsertRows(QModelIndex(), position, position);
    m_storage->rows.push_back(packRow(captionBytes, cells));
    if (m_order == Order::ByCaption)
        m_storage->sorted.insert(position, arrival);
    endInsertRows();
}

void EventListModel::clear() {
    emit aboutToClear();
    beginResetModel();
    m_storage->rows = {};
    m_storage->dropped = 0;
    m_storage->sorted.clear();
    endResetModel();
}

void EventListModel::dropOldest() {
    const qsizetype count =
        std::min<qsizetype>(std::max(m_rowLimit / 100, 1), qsizetype(m_storage->rows.size()));
    emit aboutToDrop(m_storage->dropped + count);
    if (m_order == Order::ByCaption) {
        dropFromSorted(count);
        return;
    }
    beginRemoveRows(QModelIndex(), 0, int(count - 1));
    m_storage->rows.erase(m_storage->rows.begin(), m_storage->rows.begin() + count);
    m_storage->dropped += count;
    endRemoveRows();
}

// The oldest rows of a sorted list lie in a few runs where their captions sort (the date-time
// texts of one stretch of time); the runs leave the views one by one, from the last.
void EventListModel::dropFromSorted(qsizetype count) {
    Storage &storage = *m_storage;
    const auto taken = [&storage, count](quint32 arrival) {
        return qsizetype(storage.indexOf(arrival)) < count;
    };
    const auto runs = storage.sorted.runs(taken);
    if (runs.size() <= maxDroppedRuns) {
        for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
            beginRemoveRows(QModelIndex(), int(run->first), int(run->first + run->second - 1));
            for (qsizetype i = 0; i < run->second; ++i)
                storage.sorted.remove(run->first);
            endRemoveRows();
        }
    } else {
        beginResetModel();
        storage.sorted.removeIf(taken);
        endResetModel();
    }
    storage.rows.erase(storage.rows.begin(), storage.rows.begin() + count);
    storage.dropped += count;
}

const QByteArray *EventListModel::rowAt(int row) const {
    if (row < 0 || row >= rowCount())
        return nullptr;
    if (m_order == Order::Arrival)
        return &m_storage->rows[static_cast<std::size_t>(row)];
    return &m_storage->row(m_storage->sorted.at(row));
}

qint64 EventListModel::arrived() const {
    return m_storage->dropped + qint64(m_storage->rows.size());
}

const QByteArray *EventListModel::arrivedRow(qint64 arrivalIndex) const {
    const qint64 index = arrivalIndex - m_storage->dropped;
    if (index < 0 || index >= qint64(m_storage->rows.size()))
        return nullptr;
    return &m_storage->rows[static_cast<std::size_t>(index)];
}

QByteArray EventListModel::exportLine(qint64 arrivalIndex, int columns) const {
    const QByteArray *packed = arrivedRow(arrivalIndex);
    if (!packed)
        return QByteArray();
    FieldReader reader(*packed);
    QByteArrayView field;
    reader.next(field);
    QByteArray line = QString::fromUtf8(field).toLocal8Bit();
    for (int k = 0; k < columns && reader.next(field); ++k) {
        line += ' ';
        line += field;
    }
    return line;
}

QString EventListModel::exportText(qint64 arrivalIndex, int columns) const {
    const QByteArray *packed = arrivedRow(arrivalIndex);
    if (!packed)
        return QString();
    FieldReader reader(*packed);
    QByteArrayView field;
    reader.next(field);
    QString text = QString::fromUtf8(field);
    for (int k = 0; k < columns && reader.next(field); ++k) {
        text += QLatin1Char(' ');
        text += QLatin1StringView(field.data(), field.size());
    }
    return text;
}

QString EventListModel::caption(int row) const {
    const QByteArray *packed = rowAt(row);
    return packed ? QString::fromUtf8(fieldOf(*packed, 0)) : QString();
}

QByteArray EventListModel::cell(int row, int column) const {
    const QByteArray *packed = rowAt(row);
    if (!packed || column < 1)
        return QByteArray();
    return fieldOf(*packed, column).toByteArray();
}

int EventListModel::cellCount(int row) const {
    const QByteArray *packed = rowAt(row);
    return packed ? fieldCount(*packed) - 1 : 0;
}

// A sorted list counts its index: while its oldest rows are dropped, the views are told of each
// removal before the rows themselves leave the store.
int EventListModel::rowCount(const QModelIndex &parent) const {
    if (parent.isValid())
        return 0;
    if (m_order == Order::ByCaption)
        return static_cast<int>(m_storage->sorted.size());
    return static_cast<int>(m_storage->rows.size());
}

int EventListModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headings.size());
}

QVariant EventListModel::data(const QModelIndex &index, int role) const {
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    const QByteArray *packed = index.isValid() ? rowAt(index.row()) : nullptr;
    if (!packed)
        return QVariant();
    FieldReader reader(*packed);
    QByteArrayView field;
    for (int k = 0; k <= index.column(); ++k) {
        if (!reader.next(field))
            return QVariant(); // the row is shorter than the column list
    }
    if (index.column() == 0)
        return QString::fromUtf8(field);
    return QString::fromLatin1(field);
}

QVariant EventListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_headings.size())
        return QCoreApplication::translate(headingContext,
                                           m_headings.at(section).toLatin1().constData());
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags EventListModel::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_captionEditable && index.column() == 0)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool EventListModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (!m_captionEditable || role != Qt::EditRole || !index.isValid() || index.column() != 0)
        return false;
    const QByteArray *packed = rowAt(index.row());
    if (!packed)
        return false;
    QList<QByteArray> cells;
    FieldReader reader(*packed);
    QByteArrayView field;
    reader.next(field);
    while (reader.next(field))
        cells.append(field.toByteArray());
    const QByteArray captionBytes = value.toString().toUtf8();
    if (m_order == Order::Arrival) {
        m_storage->rows[static_cast<std::size_t>(index.row())] = packRow(captionBytes, cells);
        emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
        return true;
    }
    // A sorted list moves the edited row to the place of its new caption.
    const quint32 arrival = m_storage->sorted.at(index.row());
    beginRemoveRows(QModelIndex(), index.row(), index.row());
    m_storage->sorted.remove(index.row());
    endRemoveRows();
    m_storage->rows[m_storage->indexOf(arrival)] = packRow(captionBytes, cells);
    const auto position = static_cast<int>(m_storage->insertPosition(captionBytes, m_order));
    beginInsertRows(QModelIndex(), position, position);
    m_storage->sorted.insert(position, arrival);
    endInsertRows();
    return true;
}

EventLists::EventLists()
    : poll(QStringLiteral("Poll_List"),
           {heading(QT_TRANSLATE_NOOP("EventLists", "Date / Time")),
            heading(QT_TRANSLATE_NOOP("EventLists", "Zorer-Uda / IP")),
            heading(QT_TRANSLATE_NOOP("EventLists", "Account")),
            heading(QT_TRANSLATE_NOOP("EventLists", "Line Fault")),
            heading(QT_TRANSLATE_NOOP("EventLists", "AC Fail")),
            heading(QT_TRANSLATE_NOOP("EventLists", "Battery Fault")),
            heading(QT_TRANSLATE_NOOP("EventLists", "Armed")),
            heading(QT_TRANSLATE_NOOP("EventLists", "Eng-on-Site"))},
           EventListModel::Order::Arrival)
    , contactId(QStringLiteral("ContactIDList"),
                {heading(QT_TRANSLATE_NOOP("EventLists", "Date / Time")),
                 heading(QT_TRANSLATE_NOOP("EventLists", "Zorer-Uda / IP")),
                 heading(QT_TRANSLATE_NOOP("EventLists", "Account")),
                 heading(QT_TRANSLATE_NOOP("EventLists", "Type")),
                 heading(QT_TRANSLATE_NOOP("EventLists", "Event Code")),
                 heading(QT_TRANSLATE_NOOP("EventLists", "Area")),
                 heading(QT_TRANSLATE_NOOP("EventLists", "User / Zone"))},
                EventListModel::Order::Arrival)
    , fast(QStringLiteral("FastList"), fastHeadings(), EventListModel::Order::Arrival, true)
    , sia(QStringLiteral("SIAList"),
          {heading(QT_TRANSLATE_NOOP("EventLists", "Date / Time")),
           heading(QT_TRANSLATE_NOOP("EventLists", "Zorer-Uda / IP")),
           heading(QT_TRANSLATE_NOOP("EventLists", "Account")),
           heading(QT_TRANSLATE_NOOP("EventLists", "Event")),
           heading(QT_TRANSLATE_NOOP("EventLists", "ASCII Data"))},
          EventListModel::Order::ByCaption) {}

QStringList EventLists::fastHeadings() {
    QStringList headings{heading(QT_TRANSLATE_NOOP("EventLists", "Date / Time")),
                         heading(QT_TRANSLATE_NOOP("EventLists", "Zorer-Uda / IP")),
                         heading(QT_TRANSLATE_NOOP("EventLists", "Account"))};
    for (int channel = 1; channel <= 16; ++channel)
        headings.append(QString::number(channel));
    headings.append(heading(QT_TRANSLATE_NOOP("EventLists", "Test")));
    return headings;
}
