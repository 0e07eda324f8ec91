#pragma once

#include "protocol/messageaccount.h"

#include <QByteArray>
#include <optional>

class Settings;

// "Receiver Account": the account the monitor's own trouble lines go under. 4 to 6 digits or
// hex letters "B"-"F", as a Contact ID account may be; anything else (and empty) sets none.
bool isReceiverAccountText(const QByteArray &text);
// The account as its lines carry it; empty while none is set. Safe from any thread.
QByteArray receiverAccountText(const Settings &settings);
// The account table's number for it, as a message's account is read: none while none is set.
std::optional<quint32> receiverAccountNumber(const QByteArray &text);
// True when a message's account is the receiver's own: no panel may report under it.
bool namesReceiverAccount(const MessageAccount &account, const std::optional<quint32> &receiver);
