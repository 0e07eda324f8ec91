// Times loading Accounts.PDB and looking accounts up, for tables of 10,000 and 100,000 records.
#include "accounts/accountrecord.h"
#include "accounts/accounttable.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

constexpr int lookups = 100000;
constexpr int loadRuns = 7;

bool writeAccountFile(const QString &path, int count, QRandomGenerator &random) {
    QByteArray content;
    content.reserve(qsizetype(count) * AccountRecord::imageSize);
    for (int i = 0; i < count; ++i) {
        AccountRecord record;
        record.accNum = random.bounded(2000000u);
        record.accName = "Account " + QByteArray::number(i);
        record.nuaIp = "10.0.0.1";
        record.pollDelay = quint16(random.bounded(1000u));
        content += accountImage(record);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

double perOperationNs(qint64 totalNs, int operations) {
    return double(totalNs) / operations;
}

void measure(const QString &path, int count) {
    QRandomGenerator random(20261208u);
    if (!writeAccountFile(path, count, random)) {
        std::printf("could not write %s\n", qPrintable(path));
        return;
    }
    // The best of several loads: the machine may be busy with other work.
    AccountTable table(path);
    QElapsedTimer timer;
    qint64 loadNs = std::numeric_limits<qint64>::max();
    for (int run = 0; run < loadRuns; ++run) {
        timer.restart();
        const AccountTable::Result loaded = table.ReadAccRec(5);
        loadNs = std::min(loadNs, timer.nsecsElapsed());
        if (!loaded.ok) {
            std::printf("load failed: %s\n", qPrintable(loaded.error));
            return;
        }
    }

    int found = 0;
    timer.restart();
    for (int i = 0; i < lookups; ++i)
        found += table.Find_Account(random.bounded(2000000u)).has_value() ? 1 : 0;
    const qint64 findNs = timer.nsecsElapsed();

    AccountRecord edited = table.records().at(size_t(count / 2));
    edited.accName = "Edited";
    timer.restart();
    const bool saved = table.save(AccountTable::SaveMode::Update, edited).ok;
    const qint64 saveNs = timer.nsecsElapsed();

    std::printf(
        "%7d records: ReadAccRec %8.2f ms (best of %d) | %d Find_Account %8.2f ms (%6.0f ns each, "
        "%d found) | save (update) %8.2f ms%s\n",
        count, loadNs / 1e6, loadRuns, lookups, findNs / 1e6, perOperationNs(findNs, lookups),
        found, saveNs / 1e6, saved ? "" : " FAILED");
}

} // namespace

int main() {
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::printf("no temporary directory\n");
        return 1;
    }
    for (int count : {10000, 100000})
        measure(dir.filePath(QStringLiteral("Accounts-%1.PDB").arg(count)), count);
    return 0;
}
