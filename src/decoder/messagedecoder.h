#pragma once

#include "protocol/automationlines.h"

#include <QByteArray>
#include <QList>
#include <functional>
#include <optional>

class AccountTable;
class EventListModel;
struct EventLists;
class EventTexts;
class LogBook;
class TxQueue;

enum class EventListKind { Poll, FastFormat, ContactId, Sia };

// One row for an event list: its cells after the caption (the first cell is the source).
struct DecodedRow {
    EventListKind list;
    QList<QByteArray> cells;
};

// Everything one message gives, before it is applied.
struct DecodeResult {
    QList<DecodedRow> rows;
    QList<QByteArray> lines;       // automation lines to queue, in order
    QList<QByteArray> loggedLines; // the report lines among them, for "Tx_Log.TXT"
    bool reloadAttempts = false;
    std::optional<quint32> decodedAccount; // none: no account update
};

struct DecoderSettings {
    LinePrefix prefix; // RxNo, LineNo
    OutputFormat format = OutputFormat::HighSpeed;
};

// The recognition rules (poll, Fast Format, Contact ID, SIA, forward), as a pure function. A
// message is one of them: a report digit first makes it that report, "POLL" in its text
// included; the account updated is the one messageAccount() reads, which for a forward is the
// account of the line it carries. A poll without a flag character has no
// flag columns; a Fast Format message too short for an account (under 11 bytes) shows an empty
// account, no channels, and queues nothing; an SIA chain running past the end stops there as at
// a block of length 0. The lines never hold a control byte (each becomes a blank), and a forward
// with nothing after its "9" queues no line.
DecodeResult decodeMessage(const QByteArray &source, const QByteArray &message,
                           const DecoderSettings &settings, const EventTexts &texts);

// The decoder as the engine calls it: decodes one message and applies the result: rows to the
// lists (captioned with the date-time of now), lines to "Tx Pending", report lines to
// "Tx_Log.TXT", the attempt reload, and the account's last NUA / IP.
class MessageDecoder {
public:
    struct Hooks {
        std::function<DecoderSettings()> settings;
        std::function<void()>
            reloadAttemptsIfIdle; // reload the Tx attempts unless an ACK is awaited
    };

    MessageDecoder(EventLists &lists, TxQueue &txQueue, LogBook &logs, AccountTable &accounts,
                   const EventTexts &texts, Hooks hooks);

    void Process_data(const QByteArray &source, const QByteArray &message);

private:
    EventListModel &list(EventListKind kind) const;

    EventLists &m_lists;
    TxQueue &m_txQueue;
    LogBook &m_logs;
    AccountTable &m_accounts;
    const EventTexts &m_texts;
    Hooks m_hooks;
};
