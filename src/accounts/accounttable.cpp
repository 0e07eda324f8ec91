#include "accounttable.h"

#include "accountnumbers.h"
#include "common/namedlocks.h"
#include "polltimer.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <algorithm>

namespace {

bool numberBelow(const AccountRecord &record, quint32 number) {
    return record.accNum < number;
}

// Where each record of the file goes: sorted by number, and among equal numbers the later one
// in the file first, as inserting the records one by one in file order puts them. Only the keys
// are sorted; each record is then read once, straight into its place.
std::vector<quint64> loadOrder(const QByteArray &content, qsizetype count) {
    std::vector<quint64> order(size_t(count), 0);
    for (qsizetype i = 0; i < count; ++i) {
        const quint32 number = accountNumberOfImage(content, i * AccountRecord::imageSize);
        order[size_t(i)] = (quint64(number) << 32) | quint32(~quint32(i));
    }
    // A file the program saved is already in order but for its last record.
    if (!std::is_sorted(order.begin(), order.end()))
        std::sort(order.begin(), order.end());
    return order;
}

std::vector<AccountRecord> recordsFromFile(const QByteArray &content, int pollTimeOut) {
    const qsizetype count = content.size() / AccountRecord::imageSize;
    std::vector<AccountRecord> records;
    records.reserve(size_t(count));
    for (const quint64 key : loadOrder(content, count)) {
        const qsizetype index = qsizetype(~quint32(key));
        AccountRecord &record = records.emplace_back(
            accountFromImage(content, index * AccountRecord::imageSize, ImageTexts::WithoutLast));
        record.pollTimer = loadedPollTimer(record.pollDelay, pollTimeOut);
    }
    return records;
}

AccountTable::Result failure(const QString &error) {
    return AccountTable::Result{false, error};
}

// The I/O error text, or empty when the whole file was read.
QString readWholeFile(QFile &file, QByteArray &content) {
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    content = file.readAll();
    return file.error() == QFileDevice::NoError ? QString() : file.errorString();
}

QString unreadFileRefusal(const QString &filePath, const QString &error) {
    return QCoreApplication::translate("AccountTable",
                                       "%1 could not be read (%2); it is kept as it is and not "
                                       "saved over")
        .arg(filePath, error);
}

} // namespace

AccountTable::AccountTable(QString filePath, QObject *parent)
    : QObject(parent)
    , m_filePath(std::move(filePath)) {}

AccountTable::Result AccountTable::ReadAccRec(int pollTimeOut) {
    Result result;
    {
        NamedLockGuard guard(NamedLocks::Accounts);
        result = loadLocked(pollTimeOut);
    }
    if (result.ok)
        emit changed();
    return result;
}

AccountTable::Result AccountTable::loadLocked(int pollTimeOut) {
    m_unreadFileError.clear();
    QFile file(m_filePath);
    if (!file.exists()) {
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return failure(file.errorString());
        m_records.clear();
        m_current = -1;
        return {};
    }
    // An existing file that cannot be read is reported, never recreated empty: that would throw
    // away every account it holds. Until it has been read, no save may replace it either.
    QByteArray content;
    m_unreadFileError = readWholeFile(file, content);
    if (!m_unreadFileError.isEmpty())
        return failure(m_unreadFileError);
    m_records = recordsFromFile(content, pollTimeOut);
    m_current = m_records.empty() ? -1 : 0;
    return {};
}

void AccountTable::InsertAcc(const AccountRecord &record) {
    {
        NamedLockGuard guard(NamedLocks::Accounts);
        insertLocked(record);
    }
    emit changed();
}

qsizetype AccountTable::insertLocked(AccountRecord record) {
    fitToImage(record);
    const qsizetype index = lowerBound(record.accNum);
    m_records.insert(m_records.begin() + index, std::move(record));
    // The current record stays the same record, wherever the new one lands.
    if (m_current >= index)
        ++m_current;
    return index;
}

std::optional<AccountRecord> AccountTable::Find_Account(quint32 number) {
    std::optional<AccountRecord> found;
    {
        NamedLockGuard guard(NamedLocks::Accounts);
        const qsizetype index = lowerBound(number);
        if (index < qsizetype(m_records.size()) && m_records[size_t(index)].accNum == number)
            found = m_records[size_t(index)];
    }
    emit lookedUp(QString::fromLatin1(AccNumString(number)));
    return found;
}

AccountTable::TextLookup AccountTable::lookUpAccountText(const QByteArray &accountText) {
    const std::optional<quint32> number = NumericalAccNum(accountText);
    if (!number)
        return {};
    return {number, Find_Account(*number)};
}

QByteArray AccountTable::fileImage(SaveMode mode, const AccountRecord &record) const {
    QByteArray content;
    content.reserve(qsizetype(m_records.size() + 1) * AccountRecord::imageSize);
    const bool leaveOutNumber = mode != SaveMode::Add;
    for (const AccountRecord &existing : m_records) {
        if (leaveOutNumber && existing.accNum == record.accNum)
            continue;
        content += accountImage(existing);
    }
    if (mode != SaveMode::Delete)
        content += accountImage(record);
    return content;
}

AccountTable::Result AccountTable::save(SaveMode mode, const AccountRecord &record) {
    Result result;
    {
        NamedLockGuard guard(NamedLocks::Accounts);
        result = saveLocked(mode, record);
    }
    if (result.ok)
        emit changed();
    return result;
}

AccountTable::Result AccountTable::saveEdited(SaveMode mode, quint32 number, const Builder &build) {
    Result result;
    {
        NamedLockGuard guard(NamedLocks::Accounts);
        AccountRecord record;
        if (mode != SaveMode::Delete) {
            const qsizetype front = lowerBound(number);
            const bool exists =
                front < qsizetype(m_records.size()) && m_records[size_t(front)].accNum == number;
            record = build(exists ? &m_records[size_t(front)] : nullptr);
        }
        record.accNum = number;
        result = saveLocked(mode, record);
        if (result.ok && mode == SaveMode::Update)
            m_current = lowerBound(number);
    }
    if (result.ok)
        emit changed();
    return result;
}

AccountTable::Result AccountTable::saveLocked(SaveMode mode, AccountRecord record) {
    if (!m_unreadFileError.isEmpty())
        return failure(unreadFileRefusal(m_filePath, m_unreadFileError));
    fitToImage(record);
    if (mode == SaveMode::Update)
        keepReservedBytes(record);
    const Result result = writeLocked(mode, record);
    if (result.ok)
        applySaved(mode, record);
    return result;
}

void AccountTable::keepReservedBytes(AccountRecord &record) const {
    // The editor knows nothing of the reserved bytes: an update keeps the ones the file had.
    const qsizetype front = lowerBound(record.accNum);
    if (front < qsizetype(m_records.size()) && m_records[size_t(front)].accNum == record.accNum)
        record.reserved = m_records[size_t(front)].reserved;
}

AccountTable::Result AccountTable::writeLocked(SaveMode mode, const AccountRecord &record) {
    // Written aside and renamed into place, so a crash or a full disk leaves the old file whole.
    // Unbuffered and written in a loop: a buffered QSaveFile takes a short write for success and
    // would rename a cut file into place.
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failure(file.errorString());
    const QByteArray content = fileImage(mode, record);
    for (qsizetype written = 0; written < content.size();) {
        const qint64 step = file.write(content.constData() + written, content.size() - written);
        if (step <= 0) {
            const QString error = file.errorString();
            file.cancelWriting();
            return failure(error);
        }
        written += step;
    }
    if (!file.commit())
        return failure(file.errorString());
    return {};
}

void AccountTable::applySaved(SaveMode mode, const AccountRecord &record) {
    const qsizetype front = lowerBound(record.accNum);
    qsizetype end = front;
    while (end < qsizetype(m_records.size()) && m_records[size_t(end)].accNum == record.accNum)
        ++end;
    switch (mode) {
    case SaveMode::Add:
        m_current = insertLocked(record);
        return;
    case SaveMode::Update:
        if (front == end) {
            m_current = insertLocked(record);
            return;
        }
        m_records[size_t(front)] = record;
        // The file now holds one record of this number; the table follows it.
        eraseRange(front + 1, end);
        return;
    case SaveMode::Delete:
        eraseRange(front, end);
        m_current = m_records.empty() ? -1 : 0;
        return;
    }
}

void AccountTable::eraseRange(qsizetype from, qsizetype to) {
    if (from == to)
        return;
    m_records.erase(m_records.begin() + from, m_records.begin() + to);
    if (m_current >= to)
        m_current -= to - from;
    else if (m_current >= from)
        m_current = from - 1 >= 0 ? from - 1 : (m_records.empty() ? -1 : 0);
}

bool AccountTable::setLastNuaIp(quint32 number, const QByteArray &source) {
    return update(number, [&source](AccountRecord &record) {
        record.lastNuaIp = source.left(AccountRecord::lastNuaIpMaxLength);
    });
}

bool AccountTable::update(quint32 number, const std::function<void(AccountRecord &)> &change) {
    {
        NamedLockGuard guard(NamedLocks::Accounts);
        const qsizetype index = lowerBound(number);
        if (index >= qsizetype(m_records.size()) || m_records[size_t(index)].accNum != number)
            return false;
        AccountRecord &record = m_records[size_t(index)];
        change(record);
        // The number is the table's key: a change of number goes through save().
        record.accNum = number;
        fitToImage(record);
    }
    emit changed();
    return true;
}

void AccountTable::updateEach(const std::function<bool(AccountRecord &)> &change) {
    bool changedAny = false;
    {
        NamedLockGuard guard(NamedLocks::Accounts);
        for (AccountRecord &record : m_records) {
            const quint32 number = record.accNum;
            if (!change(record))
                continue;
            record.accNum = number;
            fitToImage(record);
            changedAny = true;
        }
    }
    if (changedAny)
        emit changed();
}

qsizetype AccountTable::AccountCount() const {
    NamedLockGuard guard(NamedLocks::Accounts);
    return qsizetype(m_records.size());
}

qsizetype AccountTable::countWhere(const std::function<bool(const AccountRecord &)> &test) const {
    NamedLockGuard guard(NamedLocks::Accounts);
    return qsizetype(std::count_if(m_records.begin(), m_records.end(), test));
}

std::vector<AccountRecord> AccountTable::records() const {
    NamedLockGuard guard(NamedLocks::Accounts);
    return m_records;
}

std::optional<AccountRecord> AccountTable::CurrentAccount() const {
    NamedLockGuard guard(NamedLocks::Accounts);
    if (m_current < 0)
        return std::nullopt;
    return m_records[size_t(m_current)];
}

qsizetype AccountTable::currentIndex() const {
    NamedLockGuard guard(NamedLocks::Accounts);
    return m_current;
}

void AccountTable::setCurrentIndex(qsizetype index) {
    NamedLockGuard guard(NamedLocks::Accounts);
    if (index >= 0 && index < qsizetype(m_records.size()))
        m_current = index;
}

qsizetype AccountTable::lowerBound(quint32 number) const {
    return std::lower_bound(m_records.begin(), m_records.end(), number, numberBelow) -
           m_records.begin();
}
