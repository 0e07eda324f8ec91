#include "txmachine.h"

namespace {

using enum TxAction;

// The head leaves the queue: delivered, or only its backup copy failed.
void delivered(TxStep &step) {
    step.actions << RemoveHead << StopReplyTimeout << ReloadAttempts << ClearFault;
    step.state.phase = TxPhase::Primary;
    step.state.faulted = false;
}

// Whether the line just taken by the primary still owes the secondary its copy.
bool copyOwed(const TxMachineState &state, const TxConditions &conditions) {
    return conditions.forceBackup && state.phase == TxPhase::Primary &&
           conditions.secondaryConfigured;
}

void startCopy(TxStep &step) {
    step.actions << StopReplyTimeout << ReloadAttempts;
    step.state.phase = TxPhase::BackupCopy;
}

TxAction sendFor(TxPhase phase) {
    switch (phase) {
    case TxPhase::SelfTest:
        return SendSelfTest;
    case TxPhase::Primary:
        return SendToPrimary;
    case TxPhase::Secondary:
    case TxPhase::BackupCopy:
        break;
    }
    return SendToSecondary;
}

void sendHead(TxStep &step, const TxConditions &conditions) {
    TxMachineState &state = step.state;
    if (conditions.headIsSelfTest)
        state.phase = TxPhase::SelfTest;
    else if (state.phase == TxPhase::SelfTest)
        state.phase = TxPhase::Primary;
    step.actions << sendFor(state.phase) << ForgetReply;
    state.reply = TxReply::Awaited;
    --state.attemptsLeft;
    if (state.attemptsLeft == 0 && state.phase == TxPhase::Primary &&
        conditions.secondaryConfigured) {
        step.actions << ReloadAttempts;
        state.phase = TxPhase::Secondary;
    }
    step.actions << StartReplyTimeout;
    if (!conditions.ackDisabled || state.phase == TxPhase::SelfTest)
        return;
    // Without an ACK to wait for, a line counts as delivered once it is out.
    if (copyOwed(state, conditions)) {
        startCopy(step);
        return;
    }
    step.actions << RemoveHead << StopReplyTimeout << ReloadAttempts;
    if (conditions.forceBackup)
        state.phase = TxPhase::Primary;
}

void attemptsSpent(TxStep &step, const TxConditions &conditions) {
    TxMachineState &state = step.state;
    if (state.phase == TxPhase::SelfTest && conditions.headIsSelfTest) {
        // One recovery per unanswered self-test: the test line goes, and the lines behind it go
        // out again from the primary.
        step.actions << RecoverIpServer << RemoveHead << ReloadAttempts;
        state.phase = TxPhase::Primary;
        return;
    }
    if (conditions.ackDisabled)
        return;
    if (state.phase == TxPhase::BackupCopy && conditions.forceBackup) {
        // The primary has the line: only its copy failed, which is no fault.
        state.reply = TxReply::Taken;
        delivered(step);
        return;
    }
    if (!state.faulted) {
        step.actions << RaiseFault;
        state.faulted = true;
    }
}

void sendStep(TxStep &step, const TxConditions &conditions) {
    TxMachineState &state = step.state;
    const bool selfTest = state.phase == TxPhase::SelfTest;
    // An unanswered send's connection is not reused: the next attempt connects afresh.
    if ((conditions.viaTcp || selfTest) && conditions.connectionOpen &&
        (state.reply != TxReply::Taken || selfTest))
        step.actions << CloseConnection;
    if (state.reply == TxReply::Taken)
        state.reply = TxReply::None;
    if (conditions.queueEmpty)
        return;
    if (state.attemptsLeft != 0)
        sendHead(step, conditions);
    else
        attemptsSpent(step, conditions);
}

void acknowledged(TxStep &step, const TxConditions &conditions) {
    TxMachineState &state = step.state;
    if (!txAwaitsAcknowledgement(state, conditions.ackDisabled))
        return;
    state.reply = TxReply::Taken;
    if (copyOwed(state, conditions)) {
        startCopy(step);
        return;
    }
    const bool selfTest = state.phase == TxPhase::SelfTest;
    delivered(step);
    if (selfTest)
        step.actions << CloseConnection; // the self-test never keeps its connection
}

void cleared(TxStep &step) {
    TxMachineState &state = step.state;
    step.actions << ClearQueue << StopReplyTimeout;
    if (state.reply == TxReply::Awaited)
        state.reply = TxReply::None;
    if (state.phase == TxPhase::SelfTest) {
        // The self-test goes with the queue: the next line is an ordinary one, sent afresh from
        // the primary, not a test line to drop or a reason to restart the IP server.
        step.actions << CloseConnection << ReloadAttempts;
        state.phase = TxPhase::Primary;
    }
}

// A self-test under way stays one: its line is still the head and its reply still counts as
// the test's.
TxPhase primaryUnlessSelfTest(TxPhase phase) {
    return phase == TxPhase::SelfTest ? phase : TxPhase::Primary;
}

} // namespace

bool txAwaitsAcknowledgement(const TxMachineState &state, bool ackDisabled) {
    return state.reply == TxReply::Awaited && (state.phase == TxPhase::SelfTest || !ackDisabled);
}

TxStep txTransition(const TxMachineState &state, TxEvent event, const TxConditions &conditions) {
    TxStep step{state, {}};
    switch (event) {
    case TxEvent::Started:
        step.state.attemptsLeft = 1;
        step.state.phase = primaryUnlessSelfTest(state.phase);
        step.actions << StopReplyTimeout;
        break;
    case TxEvent::SendStep:
        sendStep(step, conditions);
        break;
    case TxEvent::Acknowledged:
        acknowledged(step, conditions);
        break;
    case TxEvent::KeptConnectionLost:
        // A line written into the kept connection just as it closed never reached the far end.
        if (state.reply == TxReply::Awaited && conditions.viaTcp && !conditions.queueEmpty)
            step.actions << Resend << StartReplyTimeout;
        break;
    case TxEvent::HeartbeatQueued:
        step.actions << ReloadAttempts;
        step.state.phase = primaryUnlessSelfTest(state.phase);
        break;
    case TxEvent::LineQueued:
        step.actions << ReloadAttempts;
        break;
    case TxEvent::Cleared:
        cleared(step);
        break;
    }
    return step;
}
