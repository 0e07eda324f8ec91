#include "engine/txmachine.h"

#include <QtTest>

namespace {

using enum TxAction;
using P = TxPhase;
using R = TxReply;

struct Row {
    const char *name;
    TxMachineState before;
    TxEvent event;
    TxConditions conditions;
    TxMachineState after;
    QList<TxAction> actions;
};

TxConditions tcp(bool secondary, bool backup = false, bool open = false) {
    TxConditions c;
    c.queueEmpty = false;
    c.viaTcp = true;
    c.secondaryConfigured = secondary;
    c.forceBackup = backup;
    c.connectionOpen = open;
    return c;
}

TxConditions ackDisabled(TxConditions c) {
    c.ackDisabled = true;
    return c;
}

TxConditions selfTestHead(bool open) {
    TxConditions c;
    c.queueEmpty = false;
    c.headIsSelfTest = true;
    c.connectionOpen = open;
    return c;
}

TxConditions emptyQueue(TxConditions c) {
    c.queueEmpty = true;
    return c;
}

const TxConditions two = tcp(true);
const TxConditions one = tcp(false);
const TxConditions backup = tcp(true, true);
const QList<TxAction> sendPrimary{SendToPrimary, ForgetReply, StartReplyTimeout};
const QList<TxAction> sendSecondary{SendToSecondary, ForgetReply, StartReplyTimeout};
const QList<TxAction> sendSelfTest{SendSelfTest, ForgetReply, StartReplyTimeout};
const QList<TxAction> deliver{RemoveHead, StopReplyTimeout, ReloadAttempts, ClearFault};

const Row rows[] = {
    {"first send to the primary",
     {P::Primary, R::None, 4},
     TxEvent::SendStep,
     two,
     {P::Primary, R::Awaited, 3},
     sendPrimary},
    {"unanswered: closed and sent again",
     {P::Primary, R::Awaited, 3},
     TxEvent::SendStep,
     tcp(true, false, true),
     {P::Primary, R::Awaited, 2},
     QList{CloseConnection} + sendPrimary},
    {"acknowledged connection kept",
     {P::Primary, R::Taken, 4},
     TxEvent::SendStep,
     tcp(false, false, true),
     {P::Primary, R::Awaited, 3},
     sendPrimary},
    {"last primary attempt switches",
     {P::Primary, R::Awaited, 1},
     TxEvent::SendStep,
     two,
     {P::Secondary, R::Awaited, 0},
     {SendToPrimary, ForgetReply, ReloadAttempts, StartReplyTimeout}},
    {"retry on the secondary",
     {P::Secondary, R::Awaited, 3},
     TxEvent::SendStep,
     two,
     {P::Secondary, R::Awaited, 2},
     sendSecondary},
    {"secondary spent: FAULT",
     {P::Secondary, R::Awaited, 0},
     TxEvent::SendStep,
     two,
     {P::Secondary, R::Awaited, 0, true},
     {RaiseFault}},
    {"FAULT raised once",
     {P::Secondary, R::Awaited, 0, true},
     TxEvent::SendStep,
     two,
     {P::Secondary, R::Awaited, 0, true},
     {}},
    {"no secondary: last attempt",
     {P::Primary, R::Awaited, 1},
     TxEvent::SendStep,
     one,
     {P::Primary, R::Awaited, 0},
     sendPrimary},
    {"no secondary: FAULT",
     {P::Primary, R::Awaited, 0},
     TxEvent::SendStep,
     one,
     {P::Primary, R::Awaited, 0, true},
     {RaiseFault}},
    {"queued line reloads a faulted link",
     {P::Primary, R::Awaited, 0, true},
     TxEvent::LineQueued,
     one,
     {P::Primary, R::Awaited, 0, true},
     {ReloadAttempts}},
    {"ACK ends the FAULT",
     {P::Primary, R::Awaited, 2, true},
     TxEvent::Acknowledged,
     one,
     {P::Primary, R::Taken, 2},
     deliver},
    {"secondary's ACK: back to the primary",
     {P::Secondary, R::Awaited, 3},
     TxEvent::Acknowledged,
     two,
     {P::Primary, R::Taken, 3},
     deliver},
    {"ACK not awaited",
     {P::Primary, R::None, 4},
     TxEvent::Acknowledged,
     one,
     {P::Primary, R::None, 4},
     {}},
    {"second ACK for one send",
     {P::Primary, R::Taken, 4},
     TxEvent::Acknowledged,
     one,
     {P::Primary, R::Taken, 4},
     {}},
    {"Force Backup: primary's ACK owes the copy",
     {P::Primary, R::Awaited, 3},
     TxEvent::Acknowledged,
     backup,
     {P::BackupCopy, R::Taken, 3},
     {StopReplyTimeout, ReloadAttempts}},
    {"Force Backup: copy to the secondary",
     {P::BackupCopy, R::Taken, 4},
     TxEvent::SendStep,
     tcp(true, true, true),
     {P::BackupCopy, R::Awaited, 3},
     sendSecondary},
    {"Force Backup: copy's ACK",
     {P::BackupCopy, R::Awaited, 3},
     TxEvent::Acknowledged,
     backup,
     {P::Primary, R::Taken, 3},
     deliver},
    {"Force Backup: copy spent, no fault",
     {P::BackupCopy, R::Awaited, 0},
     TxEvent::SendStep,
     backup,
     {P::Primary, R::Taken, 0},
     deliver},
    {"Force Backup: both addresses failed",
     {P::Secondary, R::Awaited, 0},
     TxEvent::SendStep,
     backup,
     {P::Secondary, R::Awaited, 0, true},
     {RaiseFault}},
    {"Force Backup without secondary: FAULT",
     {P::Primary, R::Awaited, 0},
     TxEvent::SendStep,
     tcp(false, true),
     {P::Primary, R::Awaited, 0, true},
     {RaiseFault}},
    {"Disable Tx ACK: out is delivered",
     {P::Primary, R::None, 4},
     TxEvent::SendStep,
     ackDisabled(one),
     {P::Primary, R::Awaited, 3},
     sendPrimary + QList{RemoveHead, StopReplyTimeout, ReloadAttempts}},
    {"Disable Tx ACK: ACK not awaited",
     {P::Primary, R::Awaited, 3},
     TxEvent::Acknowledged,
     ackDisabled(one),
     {P::Primary, R::Awaited, 3},
     {}},
    {"Disable Tx ACK, Force Backup: copy next",
     {P::Primary, R::None, 4},
     TxEvent::SendStep,
     ackDisabled(backup),
     {P::BackupCopy, R::Awaited, 3},
     sendPrimary + QList{StopReplyTimeout, ReloadAttempts}},
    {"Disable Tx ACK, Force Backup: copy out",
     {P::BackupCopy, R::Awaited, 4},
     TxEvent::SendStep,
     ackDisabled(backup),
     {P::Primary, R::Awaited, 3},
     sendSecondary + QList{RemoveHead, StopReplyTimeout, ReloadAttempts}},
    {"Disable Tx ACK: spent attempts, no FAULT",
     {P::Primary, R::Awaited, 0},
     TxEvent::SendStep,
     ackDisabled(one),
     {P::Primary, R::Awaited, 0},
     {}},
    {"self-test to the own server",
     {P::Primary, R::None, 4},
     TxEvent::SendStep,
     selfTestHead(false),
     {P::SelfTest, R::Awaited, 3},
     sendSelfTest},
    {"self-test unanswered: sent again",
     {P::SelfTest, R::Awaited, 2},
     TxEvent::SendStep,
     selfTestHead(true),
     {P::SelfTest, R::Awaited, 1},
     QList{CloseConnection} + sendSelfTest},
    {"self-test ACK, connection not kept",
     {P::SelfTest, R::Awaited, 2},
     TxEvent::Acknowledged,
     ackDisabled(selfTestHead(true)),
     {P::Primary, R::Taken, 2},
     deliver + QList{CloseConnection}},
    {"self-test spent: server recovered",
     {P::SelfTest, R::Awaited, 0},
     TxEvent::SendStep,
     selfTestHead(false),
     {P::Primary, R::Awaited, 0},
     {RecoverIpServer, RemoveHead, ReloadAttempts}},
    {"heartbeat: from the primary again",
     {P::Secondary, R::Awaited, 0, true},
     TxEvent::HeartbeatQueued,
     two,
     {P::Primary, R::Awaited, 0, true},
     {ReloadAttempts}},
    {"heartbeat leaves a self-test be",
     {P::SelfTest, R::Awaited, 0},
     TxEvent::HeartbeatQueued,
     selfTestHead(false),
     {P::SelfTest, R::Awaited, 0},
     {ReloadAttempts}},
    {"clear ends the wait",
     {P::Primary, R::Awaited, 3},
     TxEvent::Cleared,
     one,
     {P::Primary, R::None, 3},
     {ClearQueue, StopReplyTimeout}},
    {"clear ends a self-test",
     {P::SelfTest, R::Awaited, 3},
     TxEvent::Cleared,
     selfTestHead(true),
     {P::Primary, R::None, 3},
     {ClearQueue, StopReplyTimeout, CloseConnection, ReloadAttempts}},
    {"start: one attempt from the primary",
     {P::Secondary, R::None, 0, true},
     TxEvent::Started,
     two,
     {P::Primary, R::None, 1, true},
     {StopReplyTimeout}},
    {"empty queue: unanswered connection closed",
     {P::Primary, R::Awaited, 3},
     TxEvent::SendStep,
     emptyQueue(tcp(false, false, true)),
     {P::Primary, R::Awaited, 3},
     {CloseConnection}},
    {"kept connection lost: sent again",
     {P::Secondary, R::Awaited, 3},
     TxEvent::KeptConnectionLost,
     two,
     {P::Secondary, R::Awaited, 3},
     {Resend, StartReplyTimeout}},
    {"kept connection lost after the ACK",
     {P::Primary, R::Taken, 3},
     TxEvent::KeptConnectionLost,
     one,
     {P::Primary, R::Taken, 3},
     {}},
};

} // namespace

class TxMachineTest : public QObject {
    Q_OBJECT

private slots:
    void transitions_data() {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(rows)); ++i)
            QTest::newRow(rows[i].name) << i;
    }

    void transitions() {
        QFETCH(int, row);
        const Row &r = rows[row];
        const TxStep step = txTransition(r.before, r.event, r.conditions);
        QCOMPARE(step.actions, r.actions);
        QVERIFY(step.state == r.after);
    }
};

QTEST_GUILESS_MAIN(TxMachineTest)
#include "test_txmachine.moc"
