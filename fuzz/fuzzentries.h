#pragma once

#include <QByteArray>

// The entry points the fuzzers and the corpus test share. Each takes any bytes at all and checks
// the rules its parser must keep; a broken rule aborts.
namespace fuzzentries {

// The Zorer-Uda call-control scan and message acceptance, texts in the order a slot gets them.
void zorerInput(const QByteArray &input);
// One read from an IP panel, through the recognition rules as the connection applies them.
void ipInput(const QByteArray &input);
// The decoder on one pending message with any source, prefix and output format.
void decoder(const QByteArray &input);
// The account file: a record image at any offset, and the whole file read by the table.
void accountFile(const QByteArray &input);
// The queue journal's reader and its payload decoder, and a compacted copy read back.
void journal(const QByteArray &input);
// The automation line builders and the line framing, every field arbitrary.
void automationLines(const QByteArray &input);
// DC-09 frames from a panel as a stream, and encrypted frames built around any plain text.
void dc09(const QByteArray &input);
// The DC-09 key file, loaded, looked up and saved again.
void dc09Keys(const QByteArray &input);
// A settings file through the line check and the raw-value reader.
void settingsFile(const QByteArray &input);
// One panel's reads over TCP, or its datagrams, through the receiver's rules with their replies.
void panelExchange(const QByteArray &input);

// Each entry by the name of its fuzz program and of its corpus directory.
struct Target {
    const char *name;
    void (*run)(const QByteArray &input);
};
inline constexpr Target targets[] = {
    {"zorerinput", zorerInput},
    {"ipinput", ipInput},
    {"decoder", decoder},
    {"accountfile", accountFile},
    {"journal", journal},
    {"automationlines", automationLines},
    {"dc09", dc09},
    {"dc09keys", dc09Keys},
    {"settingsfile", settingsFile},
    {"panelexchange", panelExchange},
};

} // namespace fuzzentries
