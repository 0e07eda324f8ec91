#include "events/eventlistmodel.h"
#include "events/sortedrowindex.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>

namespace {

QStringList captions(const EventListModel &model) {
    QStringList result;
    for (int row = 0; row < model.rowCount(); ++row)
        result.append(model.caption(row));
    return result;
}

EventListModel sortedModel(bool editable = false) {
    return EventListModel(QStringLiteral("Sorted"),
                          {QStringLiteral("Date / Time"), QStringLiteral("Zorer-Uda / IP")},
                          EventListModel::Order::ByCaption, editable);
}

} // namespace

class TestEventListModel : public QObject {
    Q_OBJECT
private slots:
    void headings_data();
    void headings();
    void rowsShorterThanTheColumns();
    void cellsKeepTheirBytes();
    void siaListKeepsCaptionTextOrder();
    void siaExportGoesByArrivalOnce();
    void sortedOrderMatchesQStringOrder();
    void sortedIndexAgainstAPlainVector();
    void fastListCaptionsAreEditable();
    void editedCaptionMovesInASortedList();
    void clearRestartsArrival();
};

void TestEventListModel::headings_data() {
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("headings");
    const QString lead = QStringLiteral("Date / Time|Zorer-Uda / IP|Account|");
    QTest::newRow("poll") << "Poll_List"
                          << lead + "Line Fault|AC Fail|Battery Fault|Armed|Eng-on-Site";
    QTest::newRow("contact id") << "ContactIDList" << lead + "Type|Event Code|Area|User / Zone";
    QTest::newRow("fast") << "FastList" << lead + "1|2|3|4|5|6|7|8|9|10|11|12|13|14|15|16|Test";
    QTest::newRow("sia") << "SIAList" << lead + "Event|ASCII Data";
}

void TestEventListModel::headings() {
    QFETCH(QString, objectName);
    QFETCH(QString, headings);
    EventLists lists;
    const QList<EventListModel *> all{&lists.poll, &lists.contactId, &lists.fast, &lists.sia};
    const auto model = std::find_if(
        all.begin(), all.end(), [&](EventListModel *m) { return m->objectName() == objectName; });
    QVERIFY(model != all.end());
    QStringList actual;
    for (int column = 0; column < (*model)->columnCount(); ++column)
        actual.append((*model)->headerData(column, Qt::Horizontal).toString());
    QCOMPARE(actual.join(QLatin1Char('|')), headings);
}

void TestEventListModel::rowsShorterThanTheColumns() {
    EventLists lists;
    lists.contactId.addRow(QStringLiteral("cap"), {"RX3", "", ""});
    QCOMPARE(lists.contactId.cellCount(0), 3);
    QCOMPARE(lists.contactId.data(lists.contactId.index(0, 3)).toString(), QString());
    QVERIFY(lists.contactId.data(lists.contactId.index(0, 3)).isValid());
    QVERIFY(!lists.contactId.data(lists.contactId.index(0, 4)).isValid());
    QCOMPARE(lists.contactId.cell(0, 6), QByteArray());
    QCOMPARE(lists.contactId.exportLine(0, 6), QByteArray("cap RX3  "));
    QCOMPARE(lists.contactId.exportLine(0, 1), QByteArray("cap RX3"));
    QCOMPARE(lists.contactId.exportLine(1, 6), QByteArray());
}

// Cells are bytes of any value and any length (lengths of one, two and three prefix bytes).
void TestEventListModel::cellsKeepTheirBytes() {
    EventLists lists;
    const QByteArrayList cells{QByteArray("\x00\xE9", 2), QByteArray(127, 'a'),
                               QByteArray(128, 'b'), QByteArray(20000, '\xFF'), ""};
    lists.sia.addRow(QStringLiteral("23.05.2024 \u00E9"), cells);
    QCOMPARE(lists.sia.cellCount(0), 5);
    for (int column = 1; column <= 5; ++column)
        QCOMPARE(lists.sia.cell(0, column), cells[column - 1]);
    QCOMPARE(lists.sia.caption(0), QStringLiteral("23.05.2024 \u00E9"));
    QCOMPARE(lists.sia.data(lists.sia.index(0, 1)).toString(), QStringLiteral("\u0000\u00E9"));
    QCOMPARE(lists.sia.exportLine(0, 1),
             QStringLiteral("23.05.2024 \u00E9").toLocal8Bit() + ' ' + cells[0]);
    QCOMPARE(lists.sia.exportText(0, 1), QStringLiteral("23.05.2024 \u00E9 \u0000\u00E9"));
}

// With a long time format without a leading zero, 9 o'clock sorts after 10 o'clock as text.
void TestEventListModel::siaListKeepsCaptionTextOrder() {
    EventLists lists;
    QSignalSpy inserted(&lists.sia, &QAbstractItemModel::rowsInserted);
    for (const char *time : {"10:00:00", "9:00:00", "11:00:00", "9:00:00", "10:00:00"})
        lists.sia.addRow(QStringLiteral("23/05/2024 ") + QLatin1String(time),
                         {QByteArray(time) + "#" + QByteArray::number(inserted.size())});
    QCOMPARE(captions(lists.sia),
             (QStringList{"23/05/2024 10:00:00", "23/05/2024 10:00:00", "23/05/2024 11:00:00",
                          "23/05/2024 9:00:00", "23/05/2024 9:00:00"}));
    QCOMPARE(lists.sia.cell(0, 1), QByteArray("10:00:00#0")); // equal captions: arrival order
    QCOMPARE(lists.sia.cell(1, 1), QByteArray("10:00:00#4"));
    QCOMPARE(lists.sia.cell(3, 1), QByteArray("9:00:00#1"));
    QList<int> positions;
    for (const QList<QVariant> &signal : inserted)
        positions.append(signal.at(1).toInt());
    QCOMPARE(positions, (QList<int>{0, 1, 1, 3, 1}));
}

// An exporter that keeps one position per list writes each row exactly once, the out-of-order
// row included, and never an old row a second time.
void TestEventListModel::siaExportGoesByArrivalOnce() {
    EventLists lists;
    QByteArrayList exported;
    int position = 0;
    for (const char *time : {"10:00:00", "11:00:00", "9:00:00", "12:00:00"}) {
        lists.sia.addRow(QLatin1String(time), {"RX3", "1234", QByteArray("N") + time});
        while (position < lists.sia.rowCount())
            exported.append(lists.sia.exportLine(position++, 3));
    }
    QCOMPARE(exported,
             (QByteArrayList{"10:00:00 RX3 1234 N10:00:00", "11:00:00 RX3 1234 N11:00:00",
                             "9:00:00 RX3 1234 N9:00:00", "12:00:00 RX3 1234 N12:00:00"}));
}

// Thousands of rows (many chunk splits, many equal captions, characters whose UTF-8 and UTF-16
// orders differ) end in the order of a stable sort by QString.
void TestEventListModel::sortedOrderMatchesQStringOrder() {
    EventListModel model = sortedModel();
    const QStringList pieces{"1", "9", "10", "a", "\u00E9", "\uFF01", "\U0001F600", " "};
    QRandomGenerator random(7);
    QList<QPair<QString, int>> reference;
    for (int arrival = 0; arrival < 6000; ++arrival) {
        QString caption;
        for (int k = 0; k < 3; ++k)
            caption += pieces[random.bounded(int(pieces.size()))];
        model.addRow(caption, {QByteArray::number(arrival)});
        reference.append({caption, arrival});
    }
    std::stable_sort(reference.begin(), reference.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (int row = 0; row < model.rowCount(); ++row) {
        QCOMPARE(model.caption(row), reference[row].first);
        QCOMPARE(model.cell(row, 1), QByteArray::number(reference[row].second));
    }
}

void TestEventListModel::sortedIndexAgainstAPlainVector() {
    SortedRowIndex index;
    std::vector<quint32> plain;
    QRandomGenerator random(11);
    for (quint32 step = 0; step < 20000; ++step) {
        const bool remove = !plain.empty() && random.bounded(4) == 0;
        const auto position = static_cast<qsizetype>(random.bounded(quint32(plain.size() + 1)));
        if (remove && position < qsizetype(plain.size())) {
            index.remove(position);
            plain.erase(plain.begin() + position);
        } else {
            index.insert(position, step);
            plain.insert(plain.begin() + position, step);
        }
    }
    for (quint32 step = 0; step < 3000; ++step) { // appends fill whole chunks
        index.insert(index.size(), step);
        plain.push_back(step);
    }
    QCOMPARE(index.size(), qsizetype(plain.size()));
    for (qsizetype position = 0; position < index.size(); ++position)
        QCOMPARE(index.at(position), plain[std::size_t(position)]);
}

void TestEventListModel::fastListCaptionsAreEditable() {
    EventLists lists;
    lists.fast.addRow(QStringLiteral("old"), {"RX3", "7531"});
    QVERIFY(lists.fast.flags(lists.fast.index(0, 0)).testFlag(Qt::ItemIsEditable));
    QVERIFY(!lists.fast.flags(lists.fast.index(0, 1)).testFlag(Qt::ItemIsEditable));
    QVERIFY(!lists.poll.flags(lists.poll.index(0, 0)).testFlag(Qt::ItemIsEditable));
    QVERIFY(!lists.fast.setData(lists.fast.index(0, 1), QStringLiteral("x")));
    QSignalSpy changed(&lists.fast, &QAbstractItemModel::dataChanged);
    QVERIFY(lists.fast.setData(lists.fast.index(0, 0), QStringLiteral("edited")));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(lists.fast.exportLine(0, 11), QByteArray("edited RX3 7531"));
    lists.contactId.addRow(QStringLiteral("c"), {"RX3"});
    QVERIFY(!lists.contactId.setData(lists.contactId.index(0, 0), QStringLiteral("edited")));
}

void TestEventListModel::editedCaptionMovesInASortedList() {
    EventListModel model = sortedModel(true);
    for (const char *caption : {"b", "c", "d"})
        model.addRow(QLatin1String(caption), {caption});
    QVERIFY(model.setData(model.index(0, 0), QStringLiteral("e")));
    QCOMPARE(captions(model), (QStringList{"c", "d", "e"}));
    QCOMPARE(model.cell(2, 1), QByteArray("b"));
    model.addRow(QStringLiteral("a"), {"a"}); // later insertions still find their place
    QCOMPARE(captions(model), (QStringList{"a", "c", "d", "e"}));
    QCOMPARE(model.exportLine(0, 1), QByteArray("e b"));
}

void TestEventListModel::clearRestartsArrival() {
    EventLists lists;
    lists.sia.addRow(QStringLiteral("2"), {"old"});
    lists.sia.addRow(QStringLiteral("1"), {"old"});
    lists.sia.clear();
    QCOMPARE(lists.sia.rowCount(), 0);
    lists.sia.addRow(QStringLiteral("3"), {"new"});
    QCOMPARE(lists.sia.exportLine(0, 1), QByteArray("3 new"));
    QCOMPARE(lists.sia.exportLine(1, 1), QByteArray());
}

QTEST_GUILESS_MAIN(TestEventListModel)
#include "test_eventlistmodel.moc"
