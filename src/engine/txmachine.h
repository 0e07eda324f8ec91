#pragma once

#include <QList>

// The delivery rules of the transmit link as a pure function: where the head of "Tx Pending"
// goes, when an attempt is counted, when the link switches to the secondary address, when the
// "Force Backup" copy is owed, when "FAULT" is raised and when it ends. The link itself only
// performs the actions it is given back.

// Where the line at the head of the queue is being delivered.
enum class TxPhase {
    Primary,    // to the primary address, or the serial port
    Secondary,  // the primary's attempts ran out: to the secondary address
    BackupCopy, // the primary took the line; "Force Backup" owes the secondary its copy
    SelfTest,   // "IP TEST" to this program's own IP server
};

// What became of the last line sent.
enum class TxReply {
    None,    // nothing is out, or the line out was cleared away
    Awaited, // a line went out and no ACK has been taken for it
    Taken,   // the line out was acknowledged since the last send step
};

struct TxMachineState {
    TxPhase phase = TxPhase::Primary;
    TxReply reply = TxReply::None;
    int attemptsLeft = 0;
    bool faulted = false; // "FAULT" shown

    bool operator==(const TxMachineState &) const = default;
};

enum class TxEvent {
    Started,            // the link was started
    SendStep,           // the reply time-out is over (or there is none): the link may send
    Acknowledged,       // the automation software's ACK arrived
    KeptConnectionLost, // the kept connection that carried the line out closed
    HeartbeatQueued,    // the heartbeat line joined the queue while no reply was awaited
    LineQueued,         // a producer queued a line while no reply was awaited
    Cleared,            // the operator emptied the queue
};

// What the settings and the link's situation are when the event happens.
struct TxConditions {
    bool queueEmpty = true;
    bool headIsSelfTest = false; // the head of the queue is "IP TEST"
    bool viaTcp = false;         // the link was started on TCP/IP
    bool connectionOpen = false; // a TCP connection exists (connected or being made)
    bool forceBackup = false;    // "Force Backup" on a TCP/IP link
    bool secondaryConfigured = false;
    bool ackDisabled = false; // "Disable Tx ACK"
};

enum class TxAction {
    CloseConnection,
    SendToPrimary,   // the head, over the serial port where it is open
    SendToSecondary, // the head, over the serial port where it is open
    SendSelfTest,    // "IP TEST", on a connection of its own
    ForgetReply,     // only a reply after this send may acknowledge it
    Resend,          // the head again, on a new connection, as the same attempt
    StartReplyTimeout,
    StopReplyTimeout,
    ReloadAttempts, // from "TX Att"
    RemoveHead,
    ClearQueue,
    RaiseFault,
    ClearFault,
    RecoverIpServer, // the self-test went unanswered
};

struct TxStep {
    TxMachineState state;
    QList<TxAction> actions;

    bool operator==(const TxStep &) const = default;
};

TxStep txTransition(const TxMachineState &state, TxEvent event, const TxConditions &conditions);

// A line that is out waits for its ACK; "Disable Tx ACK" waives it for all but the self-test.
bool txAwaitsAcknowledgement(const TxMachineState &state, bool ackDisabled);
