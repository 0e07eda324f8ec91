#pragma once

#include "receiveroptions.h"

#include <functional>

class AccountTable;
struct Dc09Services;
class LogBook;
class PollSupervision;
class QueueJournal;
class ReceiverHandOver;
class RefusalLog;

// What the I/O threads use; every member is safe to call from any thread.
struct ReceiverServices {
    AccountTable &accounts;
    PollSupervision &polls;
    LogBook &logs;
    ReceiverHandOver &output;           // to the user-interface thread, in batches
    QueueJournal *journal = nullptr;    // where accepted messages are stored before their reply
    const Dc09Services *dc09 = nullptr; // none: the receiver speaks no DC-09
    std::function<ReceiverOptions()> options; // empty: the defaults above
    RefusalLog *refusals = nullptr; // the rate of refusal lines; none: every line is written
};
