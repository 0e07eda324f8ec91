#include "common/datetimetext.h"
#include "ui/eventpages.h"
#include "ui/ledindicator.h"
#include "ui/statuspanel.h"
#include "windowfixture.h"

#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>

// The main window: its pages and lists, the clearing buttons, the title, the status display
// and the menu.
class MainWindowTest : public QObject {
    Q_OBJECT

    static void fill(WindowFixture &f) {
        f.lists.contactId.addRow(QStringLiteral("01/02/2026 10:00:00"), {"1234", "0042"});
        f.lists.fast.addRow(QStringLiteral("01/02/2026 10:00:01"), {"1234", "0043"});
        f.lists.sia.addRow(QStringLiteral("01/02/2026 10:00:02"), {"1234", "0044"});
        f.lists.poll.addRow(QStringLiteral("01/02/2026 10:00:03"), {"1234", "0045"});
        f.txQueue.append("0410 0042 18 1130 01 001");
        f.engine.receivedData().append("[1]RING");
    }

    static QList<int> rowCounts(WindowFixture &f) {
        return {
            f.lists.contactId.rowCount(), f.lists.fast.rowCount(), f.lists.sia.rowCount(),
            f.lists.poll.rowCount(),      f.txQueue.size(),        f.engine.receivedData().size()};
    }

    static EventListModel *listNamed(WindowFixture &f, const QString &name) {
        for (EventListModel *list :
             {&f.lists.contactId, &f.lists.fast, &f.lists.sia, &f.lists.poll})
            if (list->objectName() == name)
                return list;
        return nullptr;
    }

    // What the rows' captions need, as the view itself measures them.
    static int captionNeeds(const QAbstractItemView *view) { return view->sizeHintForColumn(0); }

    // Wholly in sight.
    static bool inSight(const QAbstractItemView *view, int row) {
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        return rect.isValid() && rect.top() >= 0 && rect.bottom() < view->viewport()->height();
    }

    // The cleared-items file, each line without its leading date and time.
    static QStringList clearedItems(const WindowFixture &f) {
        QStringList items;
        const QByteArray file = f.env.readFile(LogBook::ClearedLog);
        if (!file.isEmpty() && !file.endsWith("\r\n"))
            return {QStringLiteral("unended line")};
        for (const QByteArray &line : file.split('\n')) {
            const qsizetype separator = line.indexOf(" -- ");
            if (!line.isEmpty())
                items.append(QString::fromLatin1(separator > 0 ? line.mid(separator + 4).chopped(1)
                                                               : QByteArray("no date: ") + line));
        }
        return items;
    }

    static void clickPage(WindowFixture &f, int page) {
        f.main.pages()->setCurrentIndex(page);
        f.control<QPushButton>(QStringLiteral("ClrPageBtn"))->click();
    }

private slots:
    void pagesInOrderWithSiaShowing() {
        WindowFixture f;
        EventPages *pages = f.main.pages();
        QCOMPARE(pages->objectName(), QStringLiteral("PageControl1"));
        QStringList tabs;
        for (int i = 0; i < pages->count(); ++i)
            tabs.append(pages->tabText(i));
        QCOMPARE(tabs, (QStringList{"Contact ID", "Fast Format", "SIA", "Polling", "Tx Pending",
                                    "Polling Accounts"}));
        QCOMPARE(pages->currentIndex(), 2);
        const QStringList views{"ContactIDList", "FastList", "SIAList", "Poll_List", "TxMemo"};
        for (int i = 0; i < views.size(); ++i)
            QCOMPARE(pages->widget(i)->objectName(), views.at(i));
    }

    void listColumns_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("headings");
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<QList<int>>("centred");
        QTest::newRow("Contact ID")
            << "ContactIDList" << QStringList{"Date / Time", "Zorer-Uda / IP", "Account",    "Type",
                                              "Event Code",  "Area",           "User / Zone"}
            << QList<int>{110, 100, 60, 50, 155, 50, 75} << QList<int>{2, 3, 5, 6};
        QStringList fastHeadings{"Date / Time", "Zorer-Uda / IP", "Account"};
        QList<int> fastWidths{110, 100, 60};
        QList<int> fastCentred{2};
        for (int zone = 1; zone <= 16; ++zone) {
            fastHeadings.append(QString::number(zone));
            fastWidths.append(zone <= 9 ? 20 : 25);
            fastCentred.append(zone + 2);
        }
        QTest::newRow("Fast Format")
            << "FastList" << (fastHeadings << "Test") << (fastWidths << 35) << (fastCentred << 19);
        QTest::newRow("SIA") << "SIAList"
                             << QStringList{"Date / Time", "Zorer-Uda / IP", "Account", "Event",
                                            "ASCII Data"}
                             << QList<int>{110, 100, 60, 280, 280} << QList<int>{1, 2};
        QTest::newRow("Polling") << "Poll_List"
                                 << QStringList{"Date / Time", "Zorer-Uda / IP", "Account",
                                                "Line Fault",  "AC Fail",        "Battery Fault",
                                                "Armed",       "Eng-on-Site"}
                                 << QList<int>{110, 100, 60, 60, 70, 75, 70, 70}
                                 << QList<int>{2, 3, 4, 5, 6, 7};
    }
    void listColumns() {
        QFETCH(QString, name);
        QFETCH(QStringList, headings);
        QFETCH(QList<int>, widths);
        QFETCH(QList<int>, centred);
        WindowFixture f;
        fill(f);
        auto *view = f.control<QTableView>(name);
        QVERIFY(view);
        QHeaderView *header = view->horizontalHeader();
        QAbstractItemModel *model = view->model();
        QCOMPARE(model->columnCount(), headings.size());
        for (int column = 0; column < headings.size(); ++column) {
            QCOMPARE(model->headerData(column, Qt::Horizontal).toString(), headings.at(column));
            // At least the given width, and never narrower than the heading needs.
            QVERIFY(header->sectionSize(column) >= widths.at(column));
            QVERIFY(header->sectionSize(column) >= header->sectionSizeHint(column));
            const auto alignment =
                model->index(0, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>();
            QCOMPARE(alignment & Qt::AlignHorizontal_Mask,
                     centred.contains(column) ? Qt::AlignHCenter : Qt::AlignLeft);
        }
        QVERIFY(view->showGrid());
        QCOMPARE(view->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        QVERIFY(!view->isSortingEnabled());

        // The date-time captions are never cut, whatever month, day or hour they show.
        EventListModel *rows = listNamed(f, name);
        for (int month = 1; month <= 12; ++month)
            rows->addRow(dateTimeText(QDateTime(QDate(2026, month, 20 + month % 9),
                                                QTime(month + 10, 58, 59))),
                         {"1234"});
        QVERIFY(header->sectionSize(0) >= captionNeeds(view));
        // Also after the font grows.
        QFont larger = view->font();
        larger.setPointSizeF(QFontInfo(larger).pointSizeF() * 2);
        view->setFont(larger);
        QTRY_VERIFY(header->sectionSize(0) >= captionNeeds(view));

        const int lastWidth = header->sectionSize(headings.size() - 1);
        f.main.pages()->setCurrentWidget(view);
        f.control<QPushButton>(QStringLiteral("ClrPageBtn"))->click();
        QCOMPARE(view->model()->rowCount(), 0);
        QCOMPARE(header->sectionSize(headings.size() - 1), lastWidth);
    }

    void onlyFastFormatCaptionsAreEditable() {
        WindowFixture f;
        fill(f);
        for (const char *name : {"ContactIDList", "SIAList", "Poll_List"})
            QCOMPARE(f.control<QTableView>(QString::fromLatin1(name))->editTriggers(),
                     QAbstractItemView::NoEditTriggers);
        auto *fast = f.control<QTableView>(QStringLiteral("FastList"));
        QVERIFY(fast->editTriggers() & QAbstractItemView::DoubleClicked);
        QVERIFY(fast->model()->setData(fast->model()->index(0, 0), QStringLiteral("renamed")));
        QCOMPARE(f.lists.fast.caption(0), QStringLiteral("renamed"));
    }

    void txPendingShowsTheQueueInFixedPitch() {
        WindowFixture f;
        fill(f);
        auto *memo = f.control<QListView>(QStringLiteral("TxMemo"));
        QCOMPARE(memo->model(), &f.txQueue);
        QCOMPARE(memo->model()->index(0, 0).data().toString(), "0410 0042 18 1130 01 001");
        QCOMPARE(memo->font().family(), QStringLiteral("Courier New"));
        QVERIFY(memo->font().fixedPitch());
        QCOMPARE(memo->font().styleHint(), QFont::TypeWriter);
        QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(memo->editTriggers(), QAbstractItemView::NoEditTriggers);
        // A line longer than those before it, and than the page is wide, is shown whole.
        const QByteArray longLine = "S041[#2468|" + QByteArray(300, 'N') + "]";
        f.txQueue.append(longLine);
        QVERIFY(memo->visualRect(memo->model()->index(1, 0)).width() >=
                memo->fontMetrics().horizontalAdvance(QString::fromLatin1(longLine)));
    }

    // A list at its end follows new rows; scrolled elsewhere it stays on the rows it shows, also
    // while rows arrive or leave above them; back at the end it follows again.
    void newRowsAreFollowedOnlyFromTheEnd_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("Contact ID") << "ContactIDList";
        QTest::newRow("SIA") << "SIAList";
        QTest::newRow("Tx Pending") << "TxMemo";
    }
    void newRowsAreFollowedOnlyFromTheEnd() {
        QFETCH(QString, name);
        WindowFixture f;
        auto *view = f.control<QAbstractItemView>(name);
        f.main.pages()->setCurrentWidget(view);
        f.main.resize(900, 600);
        f.main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.main));
        int next = 0;
        const auto add = [&](int count) {
            for (int i = 0; i < count; ++i, ++next) {
                const QString text =
                    QStringLiteral("09/12/2026 08:%1").arg(next, 4, 10, QLatin1Char('0'));
                if (name == u"TxMemo")
                    f.txQueue.append(text.toLatin1());
                else
                    listNamed(f, name)->addRow(text, {"1234"});
            }
        };
        const auto lastInSight = [&] { return inSight(view, view->model()->rowCount() - 1); };
        const auto topText = [&] { return view->indexAt(QPoint(1, 1)).data().toString(); };
        add(100);
        QTRY_VERIFY(lastInSight());
        add(1);
        QTRY_VERIFY(lastInSight());

        QScrollBar *bar = view->verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        const QString top = topText();
        add(20);
        if (name == u"ContactIDList") { // a full list lets its oldest row go
            f.lists.contactId.setRowLimit(f.lists.contactId.rowCount());
            add(1);
        } else if (name == u"SIAList") { // a row that sorts above the rows in sight
            f.lists.sia.addRow(QStringLiteral("09/12/2026 07:00"), {"1234"});
        } else { // the head line sent
            f.txQueue.removeHead();
        }
        EngineFixture::settle();
        QCOMPARE(topText(), top);
        QVERIFY(!lastInSight());

        bar->setValue(bar->maximum());
        add(1);
        QTRY_VERIFY(lastInSight());
        if (name != u"SIAList")
            return;
        // Rows that sort above the end (a new day sorts before the old one): the newest is shown
        // where it stands, and followed on, more than a screenful of them.
        for (int n = 0; n < 60; ++n) {
            const QString caption =
                QStringLiteral("09/12/2026 08:0050 %1").arg(n, 2, 10, QLatin1Char('0'));
            f.lists.sia.addRow(caption, {"1234"});
            const QModelIndexList found = view->model()->match(
                view->model()->index(0, 0), Qt::DisplayRole, caption, 1, Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            QTRY_VERIFY(inSight(view, found.first().row()));
        }
    }

    void clearPageEmptiesTheListShowing_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QList<int>>("left");
        QTest::newRow("Contact ID") << 0 << QList<int>{0, 1, 1, 1, 1, 1};
        QTest::newRow("Fast Format") << 1 << QList<int>{1, 0, 1, 1, 1, 1};
        QTest::newRow("SIA") << 2 << QList<int>{1, 1, 0, 1, 1, 1};
        QTest::newRow("Polling") << 3 << QList<int>{1, 1, 1, 0, 1, 1};
        QTest::newRow("Polling Accounts") << 5 << QList<int>{1, 1, 1, 1, 1, 1};
    }
    void clearPageEmptiesTheListShowing() {
        QFETCH(int, page);
        QFETCH(QList<int>, left);
        WindowFixture f;
        fill(f);
        clickPage(f, page);
        QCOMPARE(rowCounts(f), left);
        QVERIFY(f.dialogs.asked.isEmpty());
    }

    void clearPageAsksBeforeDroppingPendingLines() {
        WindowFixture f;
        fill(f);
        f.dialogs.answers = {false, true};
        clickPage(f, EventPages::TxPending);
        QCOMPARE(rowCounts(f), (QList<int>{1, 1, 1, 1, 1, 1}));
        QCOMPARE(clearedItems(f), QStringList());
        clickPage(f, EventPages::TxPending);
        QCOMPARE(rowCounts(f), (QList<int>{1, 1, 1, 1, 0, 1}));
        QCOMPARE(clearedItems(f), QStringList{"Tx Pending: 0410 0042 18 1130 01 001"});
        QCOMPARE(f.dialogs.asked.size(), 2);
        for (const ScriptedDialogs::Entry &entry : f.dialogs.asked) {
            QCOMPARE(entry.kind, ScriptedDialogs::Entry::Question);
            QCOMPARE(entry.title, QStringLiteral("Clear Messages"));
            QCOMPARE(entry.text,
                     QStringLiteral("Are You Sure You Want to Clear Pending Messages?"));
        }
    }

    // Lines not yet delivered go only when the operator, told how many, says Yes, and only
    // after a copy of each went to the cleared-items file, whatever the log switch says.
    void clearEventsAsksBeforeUndeliveredLinesGo() {
        WindowFixture f;
        fill(f);
        f.txQueue.append("0410 0043 18 1130 01 002");
        f.engine.pendingMessages().append("1234", "3 waiting");
        f.dialogs.answers = {false};
        f.control<QPushButton>(QStringLiteral("Button1"))->click();
        QCOMPARE(rowCounts(f), (QList<int>{1, 1, 1, 1, 2, 1}));
        QCOMPARE(clearedItems(f), QStringList());
        QCOMPARE(f.dialogs.asked.size(), 1);
        QCOMPARE(f.dialogs.asked.at(0).title, QStringLiteral("Clear Events"));
        QCOMPARE(f.dialogs.asked.at(0).text,
                 QStringLiteral("Lines not yet delivered to the automation software: 2.\nThey "
                                "will be removed from \"Tx Pending\"; a copy of each is kept in "
                                "Cleared_log.TXT.\nClear them?"));

        f.control<QPushButton>(QStringLiteral("Button1"))->click();
        QCOMPARE(rowCounts(f), (QList<int>{0, 0, 0, 0, 0, 0}));
        QCOMPARE(f.engine.pendingMessages().size(), 1); // decoder input is not an event
        QCOMPARE(clearedItems(f), (QStringList{"Tx Pending: 0410 0042 18 1130 01 001",
                                               "Tx Pending: 0410 0043 18 1130 01 002"}));
        // With nothing undelivered there is nothing to ask.
        f.lists.sia.addRow(QStringLiteral("01/02/2026 10:00:04"), {"1234", "0046"});
        f.control<QPushButton>(QStringLiteral("Button1"))->click();
        QCOMPARE(f.lists.sia.rowCount(), 0);
        QCOMPARE(f.dialogs.asked.size(), 2);
        QCOMPARE(f.control<QPushButton>(QStringLiteral("Button1"))->text(), "Clear Events");
        QCOMPARE(f.control<QPushButton>(QStringLiteral("ClrPageBtn"))->text(), "Clear Page");
    }

    // A copy that cannot be written keeps everything in place, and the operator is told.
    void clearEventsKeepsEverythingWhenTheCopyFails() {
        WindowFixture f;
        fill(f);
        QVERIFY(QDir().mkdir(LogBook::ClearedLog));
        f.control<QPushButton>(QStringLiteral("Button1"))->click();
        QCOMPARE(rowCounts(f), (QList<int>{1, 1, 1, 1, 1, 1}));
        QCOMPARE(f.dialogs.asked.size(), 2);
        QCOMPARE(f.dialogs.asked.last().icon, ScriptedDialogs::Entry::Error);
        QCOMPARE(f.dialogs.asked.last().text,
                 QStringLiteral("The cleared items cannot be written to Cleared_log.TXT, so "
                                "nothing was cleared."));
    }

    // The clearing buttons take the rows away before an idle tick could export them: the
    // rows must be in their files all the same.
    void clearingButtonsKeepWaitingRowsInTheExportFiles() {
        WindowFixture f;
        f.logs.setSaveEnabled(true);
        fill(f);
        clickPage(f, EventPages::ContactId);
        QCOMPARE(f.env.readFile(QStringLiteral("ID_List.Txt")),
                 QByteArray("01/02/2026 10:00:00 1234 0042\r\n"));
        f.control<QPushButton>(QStringLiteral("Button1"))->click();
        QCOMPARE(f.env.readFile(QStringLiteral("Fast_List.Txt")),
                 QByteArray("01/02/2026 10:00:01 1234 0043\r\n"));
        QCOMPARE(f.env.readFile(QStringLiteral("SIA_List.Txt")),
                 QByteArray("01/02/2026 10:00:02 1234 0044\r\n"));
        QCOMPARE(f.env.readFile(QStringLiteral("Poll_List.Txt")),
                 QByteArray("01/02/2026 10:00:03 1234 0045\r\n"));
        QCOMPARE(f.env.readFile(QStringLiteral("ID_List.Txt")).count('\n'), 1);
    }

    void titleFollowsSiaColumnClicksAndExportedRows() {
        WindowFixture f;
        QCOMPARE(f.main.windowTitle(), QStringLiteral("Voduro Version 2.19 (Voduro) "));
        f.main.resize(1000, 600);
        f.main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.main));
        QHeaderView *header = f.control<QTableView>(QStringLiteral("SIAList"))->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(3) + 10, 5));
        QCOMPARE(f.main.windowTitle(), QStringLiteral("Voduro Version 2.19 (Voduro) 3"));

        f.main.setBaseTitle(QStringLiteral("Base "));
        QCOMPARE(f.main.baseTitle(), QStringLiteral("Base "));
        f.lists.poll.addRow(QStringLiteral("01/02/2026 10:00:03"), {"1234", "0045", "1"});
        f.engine.tick();
        QCOMPARE(f.main.windowTitle(), QStringLiteral("Base  - 01/02/2026 10:00:03 1234 0045 1"));
    }

    void statusPanelShowsTheLines() {
        StatusPanel panel;
        const auto label = [&](const char *name) {
            return panel.findChild<QLabel *>(QString::fromLatin1(name));
        };
        const auto led = [&](const char *name) {
            return panel.findChild<LedIndicator *>(QString::fromLatin1(name));
        };
        QCOMPARE(label("Pad_NUA1")->text(), QStringLiteral("----------"));
        QCOMPARE(label("ComLab2")->text(), QStringLiteral("Zorer-Uda 2"));
        QCOMPARE(label("ComLabIP")->text(), QStringLiteral("IP Network"));
        QCOMPARE(label("ComOK")->text(), QStringLiteral("OK"));

        EngineStatus status;
        status.connected[2] = true;
        status.padNua[2] = QStringLiteral("0123456789");
        status.labelEnabled = {false, true, false, true, false, true};
        status.txConnected = true;
        status.txTarget = TxTarget::Secondary;
        status.txAddress = QStringLiteral("10.0.0.2 / 2000");
        status.comOk = false;
        status.faultLed = true;
        panel.showStatus(status);
        QVERIFY(!led("ConnectedLED1")->isLit());
        QVERIFY(led("ConnectedLED2")->isLit());
        QCOMPARE(label("Pad_NUA2")->text(), QStringLiteral("0123456789"));
        QVERIFY(label("ComLab1")->isEnabled() && !label("ComLab2")->isEnabled());
        QVERIFY(label("ComLabIP")->isEnabled() && label("ComLabTx")->isEnabled());
        QVERIFY(led("ConnectedLED5")->isLit());
        QCOMPARE(led("ConnectedLED5")->color(), QColor(0xff, 0xff, 0x00));
        QCOMPARE(label("Tx_Address")->text(), QStringLiteral("10.0.0.2 / 2000"));
        QCOMPARE(label("ComOK")->text(), QStringLiteral("FAULT"));
        QVERIFY(led("ComFaultLED")->isLit());

        status.txTarget = TxTarget::SelfTest;
        panel.showStatus(status);
        QCOMPARE(led("ConnectedLED5")->color(), QColor(0x00, 0x00, 0xff));
        status.txTarget = TxTarget::Primary;
        panel.showStatus(status);
        QCOMPARE(led("ConnectedLED5")->color(), QColor(0x00, 0xff, 0x00));
    }

    void statusFollowsTheEngine() {
        WindowFixture f;
        f.settings.setInteger(SettingKey::TxNum, txPortTcpIndex);
        auto *txLabel = f.control<QLabel>(QStringLiteral("ComLabTx"));
        QVERIFY(!txLabel->isEnabled());
        f.engine.startStop(5);
        QVERIFY(txLabel->isEnabled());
        f.engine.startStop(5);
        QVERIFY(!txLabel->isEnabled());
    }

    void menuOpensAndClosesComsSetup() {
        WindowFixture f;
        QVERIFY(!f.control<QMenu>(QStringLiteral("Lang1"))->menuAction()->isVisible());
        QMenu *setup = f.control<QMenu>(QStringLiteral("Setup"));
        QCOMPARE(setup->title(), QStringLiteral("Setup"));
        QCOMPARE(f.control<QAction>(QStringLiteral("ExitPassword1"))->text(), "Exit Password");
        QCOMPARE(f.control<QAction>(QStringLiteral("Logon1"))->text(), QStringLiteral("Log on"));

        QSignalSpy closed(&f.setup, &ComSetupWindow::closed);
        QAction *coms = f.control<QAction>(QStringLiteral("Coms1"));
        QCOMPARE(coms->text(), QStringLiteral("Coms"));
        coms->trigger();
        QVERIFY(f.setup.isVisible());
        QVERIFY(f.engine.setupWindowOpen());
        coms->trigger();
        QVERIFY(f.setup.isHidden());
        QVERIFY(!f.engine.setupWindowOpen());
        QCOMPARE(closed.size(), 1);
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_mainwindow.moc"
