#include "fuzzentries.h"
#include "fuzzinput.h"

#include "accounts/accounttable.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

void checkImage(const QByteArray &input) {
    // Offsets from -8 on: a negative one and one near the end read as zeros, never outside.
    const qsizetype offset = qsizetype(FuzzInput(input).byte()) - 8;
    const AccountRecord record = accountFromImage(input, offset);
    AccountRecord fitted = record;
    fitToImage(fitted);
    FUZZ_CHECK(fitted == record);
    FUZZ_CHECK(accountFromImage(accountImage(record)) == record);
}

// The whole input as Accounts.PDB, read by the table as at start-up.
void checkTableRead(const QByteArray &input) {
    static QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("Accounts.PDB"));
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(input) == input.size());
    file.close();

    AccountTable table(path);
    FUZZ_CHECK(table.ReadAccRec(input.isEmpty() ? 0 : quint8(input.back())).ok);
    const std::vector<AccountRecord> records = table.records();
    FUZZ_CHECK(qsizetype(records.size()) == input.size() / AccountRecord::imageSize);
    for (size_t i = 0; i < records.size(); ++i) {
        FUZZ_CHECK(records[i].lastNuaIp.isEmpty());
        FUZZ_CHECK(i == 0 || records[i - 1].accNum <= records[i].accNum);
    }
    FUZZ_CHECK(table.currentIndex() == (records.empty() ? -1 : 0));
}

} // namespace

namespace fuzzentries {

void accountFile(const QByteArray &input) {
    checkImage(input);
    checkTableRead(input);
}

} // namespace fuzzentries
