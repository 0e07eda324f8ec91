#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

class Settings;

// The receiver's options as the settings hold them at the moment of a text.
struct ReceiverOptions {
    // The addresses of other monitors that forward their automation lines here ("9" lines):
    // their lines are taken as they come, the sending monitor having applied the account rules.
    QList<QByteArray> forwardingMonitors;
    // "Known accounts only": a report is taken only from an account in the account table or in
    // the key file (polls, and the lines of the forwarding monitors, as ever).
    bool knownAccountsOnly = false;
    // "Receiver Account", the monitor's own: no panel may report or poll under it.
    std::optional<quint32> receiverAccount;
};

// The options as the settings hold them now; safe from any thread.
ReceiverOptions receiverOptionsFrom(const Settings &settings);
