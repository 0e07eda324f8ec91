#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <array>
#include <deque>
#include <functional>

struct EventLists;
class LogBook;

// Writes the rows of the four event lists to their export files ("Poll_List.Txt", "ID_List.Txt",
// "Fast_List.Txt", "SIA_List.Txt"), every row exactly once, in the order the rows arrived. The
// engine calls exportArrived() on every tick; a tick writes what arrived since the last one, as
// far as its time budget goes, and the rest follows on the next ticks, so the files keep up with
// the lists under steady traffic. A list that is cleared first has its waiting rows written.
class ListExport : public QObject {
    Q_OBJECT
public:
    // Monotonic time in nanoseconds; tests give their own.
    using Clock = std::function<qint64()>;
    // What one tick may spend on the export, so the windows stay responsive while it catches up.
    static constexpr qint64 tickBudgetNs = 20'000'000;

    ListExport(EventLists &lists, LogBook &logs, QObject *parent = nullptr);

    void setClock(Clock clock) { m_clock = std::move(clock); }

    // Exports the rows waiting, oldest first, until none is left or the budget is spent (the
    // row that reaches it is still written): one append per file, one title for the last row.
    void exportArrived();
    // At start-up: every list starts again at its first row.
    void reset();

    // Rows exported per list: Poll_List, ContactIDList, FastList, SIAList.
    std::array<qint64, 4> positions() const { return m_positions; }

signals:
    void rowExported(const QString &rowText); // becomes part of the main window's title

private:
    void watch(std::size_t list);
    void exportBeforeClear(std::size_t list);
    void exportBeforeDrop(std::size_t list, qint64 arrivalIndex);

    EventLists &m_lists;
    LogBook &m_logs;
    QElapsedTimer m_elapsed;
    Clock m_clock;
    // The list of every row not exported yet, in arrival order across the four lists.
    std::deque<quint8> m_arrivals;
    std::array<qint64, 4> m_positions{};
    std::array<qint64, 4> m_seen{}; // rows of each list already counted into m_arrivals
};
