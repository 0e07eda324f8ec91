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
    // Counted by the rows arrived, not by the inserted range: a caption edited in a sorted list
    // moves its row out and in again without adding one.
    connect(&list, &QAbstractItemModel::rowsInserted, this, [this, index, &list] {
        for (; m_seen[index] < list.arrived(); ++m_seen[index])
            m_arrivals.push_back(quint8(index));
    });
    connect(&list, &EventListModel::aboutToClear, this,
            [this, index] { exportBeforeClear(index); });
    connect(&list, &EventListModel::aboutToDrop, this,
            [this, index](qint64 arrivalIndex) { exportBeforeDrop(index, arrivalIndex); });
}

void ListExport::exportArrived() {
    if (m_arrivals.empty())
        return;
    const qint64 deadline = m_clock() + tickBudgetNs;
    // Lines are only built for files that are written.
    const bool saving = m_logs.saveEnabled();
    std::array<QByteArrayList, std::size(exportTargets)> lines;
    std::size_t lastList = 0;
    qint64 lastRow = -1;
    do {
        const std::size_t index = m_arrivals.front();
        m_arrivals.pop_front();
        const ExportTarget &target = exportTargets[index];
        const EventListModel &list = m_lists.*(target.list);
        if (m_positions[index] >= list.arrived())
            continue; // written already, before a clear or before the oldest rows went
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
    exportBeforeDrop(index, (m_lists.*(exportTargets[index].list)).arrived());
    m_positions[index] = 0;
    m_seen[index] = 0;
    std::erase(m_arrivals, quint8(index));
}

// The rows about to go are written first if they still wait (an export that fell a whole
// hundredth of a full list behind); the list's later turns then write its next rows.
void ListExport::exportBeforeDrop(std::size_t index, qint64 arrivalIndex) {
    const ExportTarget &target = exportTargets[index];
    const EventListModel &list = m_lists.*(target.list);
    qint64 &position = m_positions[index];
    if (position >= arrivalIndex)
        return;
    QByteArrayList lines;
    for (; position < arrivalIndex; ++position)
        lines.append(list.exportLine(position, target.columns));
    emit rowExported(list.exportText(position - 1, target.columns));
    appendLines(m_logs, target, lines);
}

void ListExport::reset() {
    m_arrivals.clear();
    for (std::size_t i = 0; i < std::size(exportTargets); ++i) {
        const EventListModel &list = m_lists.*(exportTargets[i].list);
        m_seen[i] = list.arrived();
        m_positions[i] = m_seen[i] - list.rowCount(); // the oldest row still held
        m_arrivals.insert(m_arrivals.end(), std::size_t(list.rowCount()), quint8(i));
    }
}
