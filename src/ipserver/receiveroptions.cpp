#include "receiveroptions.h"

#include "engine/receiveraccount.h"
#include "settings/settings.h"

#include <QRegularExpression>

// "Forwarding Monitors" holds addresses separated by blanks, commas or semicolons.
ReceiverOptions receiverOptionsFrom(const Settings &settings) {
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    ReceiverOptions options;
    const QString monitors = settings.text(SettingKey::ForwardingMonitors);
    for (const QString &address : monitors.split(separators, Qt::SkipEmptyParts))
        options.forwardingMonitors.append(address.toLatin1());
    options.knownAccountsOnly = settings.flag(SettingKey::KnownAccountsOnly);
    options.receiverAccount = receiverAccountNumber(receiverAccountText(settings));
    return options;
}
