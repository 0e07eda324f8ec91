#include "receiveraccount.h"

#include "accounts/accountnumbers.h"
#include "settings/settings.h"

bool isReceiverAccountText(const QByteArray &text) {
    if (text.size() < 4 || text.size() > 6)
        return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'B' && c <= 'F')))
            return false;
    }
    return true;
}

QByteArray receiverAccountText(const Settings &settings) {
    const QByteArray text = settings.text(SettingKey::ReceiverAccount).toLatin1().toUpper();
    return isReceiverAccountText(text) ? text : QByteArray();
}

std::optional<quint32> receiverAccountNumber(const QByteArray &text) {
    // The number every account rule compares by, as a message's account gets it.
    return text.isEmpty() ? std::nullopt : NumericalAccNum(text);
}

bool namesReceiverAccount(const MessageAccount &account, const std::optional<quint32> &receiver) {
    return receiver && account.named() && account.number == *receiver;
}
