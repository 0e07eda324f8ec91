#include "engine/receivertroubles.h"

#include <QtTest>

// The hold-off of a trouble's lines on its own: at most one a minute, the state of the moment
// the minute ends, never the same state twice running.
class TroubleHoldTest : public QObject {
    Q_OBJECT
private slots:
    void oneLineAMinuteSayingTheStateAtItsEnd() {
        constexpr qint64 minute = TroubleHold::holdOffMs;
        TroubleHold hold;
        QCOMPARE(hold.lineDue(0), std::nullopt); // no trouble yet: no restore either
        hold.open = true;
        QCOMPARE(hold.lineDue(5), std::optional<bool>(true)); // the first at once
        hold.open = false;
        QCOMPARE(hold.lineDue(6), std::nullopt);
        hold.open = true; // came back within the minute: at its end nothing has changed
        QCOMPARE(hold.lineDue(5 + minute), std::nullopt);
        hold.open = false;
        QCOMPARE(hold.lineDue(5 + minute - 1), std::nullopt);
        QCOMPARE(hold.lineDue(5 + minute), std::optional<bool>(false));
        QCOMPARE(hold.lineDue(5 + 3 * minute), std::nullopt); // unchanged: said once
        hold.open = true;
        QCOMPARE(hold.lineDue(5 + 3 * minute), std::optional<bool>(true));
    }
};

QTEST_MAIN(TroubleHoldTest)
#include "test_troublehold.moc"
