#pragma once

class AccountTable;
struct Dc09Services;
class LogBook;
class PollSupervision;
class QueueJournal;
class ReceiverOutput;

// What the connection threads use; every member is safe to call from any thread.
struct ReceiverServices {
    AccountTable &accounts;
    PollSupervision &polls;
    LogBook &logs;
    ReceiverOutput &output;
    QueueJournal *journal = nullptr;    // where accepted messages are stored before their reply
    const Dc09Services *dc09 = nullptr; // none: the receiver speaks no DC-09
};
