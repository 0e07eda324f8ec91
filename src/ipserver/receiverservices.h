#pragma once

class AccountTable;
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
    QueueJournal *journal = nullptr; // where accepted messages are stored before their reply
};
