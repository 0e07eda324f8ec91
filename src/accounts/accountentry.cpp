#include "accountentry.h"

#include "polltimer.h"

#include <QList>

namespace {

constexpr quint16 knownOptionBits =
    AccountRecord::SyncClock | AccountRecord::MatchNuaIp | AccountRecord::ReportFaultAsSia;

} // namespace

AccountRecord editedAccount(const AccountRecord *existing, const AccountEntry &entry,
                            int allowance) {
    AccountRecord record = existing ? *existing : AccountRecord{};
    record.accName = entry.name.left(AccountRecord::accNameMaxLength);
    record.accNum = entry.number;
    record.pollDelay = entry.pollDelay;
    record.armPollDelay = entry.armPollDelay;
    record.pollFailed = 0;
    record.pollTimer =
        savedPollTimer(record.pollTimer, entry.pollDelay, entry.armPollDelay, allowance);
    record.nuaIp = entry.nuaIp.left(AccountRecord::nuaIpMaxLength);
    record.lastNuaIp.clear();
    record.optionBits = entry.optionBits & knownOptionBits;
    return record;
}

bool stopsPolling(const AccountRecord &account, const AccountEntry &entry) {
    return (entry.pollDelay == 0 && account.pollDelay != 0) ||
           (entry.armPollDelay == 0 && account.armPollDelay != 0);
}

QString firstUnstorableCharacter(const QString &text) {
    const QList<uint> characters = text.toUcs4();
    for (const uint character : characters) {
        if (character > 0xFF) {
            const char32_t whole = character;
            return QString::fromUcs4(&whole, 1);
        }
    }
    return QString();
}

qsizetype firstNameMatch(const std::vector<AccountRecord> &records, const QString &text) {
    if (text.isEmpty())
        return -1;
    const QString sought = text.toUpper();
    for (size_t i = 0; i < records.size(); ++i) {
        if (QString::fromLatin1(records[i].accName).toUpper().contains(sought))
            return qsizetype(i);
    }
    return -1;
}
