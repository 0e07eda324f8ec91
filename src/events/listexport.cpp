#include "listexport.h"

#include "eventlistmodel.h"

#include "common/logbook.h"

#include <QByteArrayList>
#include <iterator>

namespace {

// Export files and their column counts, in the order of the positions.
struct ExportTarget {
    EventListModel EventLists::*list;
    const char *fileName;
    int columns;
};
constexpr ExportTarget exportTargets[] = {
    {&EventLists::poll, "Poll_List.Txt", 6},
    {&EventLists::contactId, "ID_List.Txt", 6},
    {&EventLists::fast, "Fast_List.Txt", 11},
    {&EventLists::sia, "SIA_List.Txt", 3},
};

void appendLines(LogBook &logs, const ExportTarget &target, const QByteArrayList &lines) {
    if (!lines.isEmpty())
        logs.Append_Message(QString::fromLatin1(target.fileName), lines.join("\r\n"));
}

} // namespace

ListExport::ListExport(EventLists &lists, LogBook &logs, QObject *parent)
    : QObject(parent)
    , m_lists(lists)
    , m_logs(logs) {
    m_elapsed.start();
    m_clock = [this] { return m_elapsed.nsecsElapsed(); };
    for (std::size_t i = 0; i < std::size(exportTargets); ++i)
        watch(i);
}

void ListExport::watch(std::size_t index) {
    EventListModel &list = m_lists.*(exportTargets[index].list);
    // Counted by the row count, not by the inserted range: a caption edited in a sorted list
    // moves its row out and in again without adding one.
    connect(&list, &QAbstractItemModel::rowsInserted, this, [this, index, &list] {
        for (; m_seen[index] < list.rowCount(); ++m_seen[index])
            m_arrivals.push_back(quint8(index));
    });
    connect(&list, &EventListModel::aboutToClear, this,
            [this, index] { exportBeforeClear(index); });
}

void ListExport::exportArrived() {
    if (m_arrivals.empty())
        return;
    const qint64 deadline = m_clock() + tickBudgetNs;
    // Lines are only built for files that are written.
    const bool saving = m_logs.saveEnabled();
    std::array<QByteArrayList, std::size(exportTargets)> lines;
    std::size_t lastList = 0;
    int lastRow = -1;
    do {
        const std::size_t index = m_arrivals.front();
        m_arrivals.pop_front();
        const ExportTarget &target = exportTargets[index];
        const EventListModel &list = m_lists.*(target.list);
        if (m_positions[index] >= list.rowCount())
            continue;
        if (saving)
            lines[index].append(list.exportLine(m_positions[index], target.columns));
        lastList = index;
        lastRow = m_positions[index]++;
    } while (!m_arrivals.empty() && m_clock() < deadline);
    for (std::size_t i = 0; i < std::size(exportTargets); ++i)
        appendLines(m_logs, exportTargets[i], lines[i]);
    if (lastRow >= 0) {
        const ExportTarget &target = exportTargets[lastList];
        emit rowExported((m_lists.*(target.list)).exportText(lastRow, target.columns));
    }
}

// Rows still waiting are written before a clear takes them, in one append, and the list starts
// again at its first row: every row that entered a list is exported once.
void ListExport::exportBeforeClear(std::size_t index) {
    const ExportTarget &target = exportTargets[index];
    const EventListModel &list = m_lists.*(target.list);
    int &position = m_positions[index];
    if (position < list.rowCount()) {
        QByteArrayList lines;
        for (; position < list.rowCount(); ++position)
            lines.append(list.exportLine(position, target.columns));
        emit rowExported(list.exportText(position - 1, target.columns));
        appendLines(m_logs, target, lines);
    }
    position = 0;
    m_seen[index] = 0;
    std::erase(m_arrivals, quint8(index));
}

void ListExport::reset() {
    m_positions = {};
    m_arrivals.clear();
    for (std::size_t i = 0; i < std::size(exportTargets); ++i) {
        m_seen[i] = (m_lists.*(exportTargets[i].list)).rowCount();
        m_arrivals.insert(m_arrivals.end(), std::size_t(m_seen[i]), quint8(i));
    }
}
