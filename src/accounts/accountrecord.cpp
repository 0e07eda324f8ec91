#include "accountrecord.h"

#include <QtEndian>

#include <algorithm>

namespace {

struct ShortString {
    qsizetype offset;
    qsizetype maxLength;
};

constexpr ShortString accNameField{8, AccountRecord::accNameMaxLength};
constexpr ShortString nuaIpField{39, AccountRecord::nuaIpMaxLength};
constexpr ShortString lastNuaIpField{60, AccountRecord::lastNuaIpMaxLength};
constexpr qsizetype accNumOffset = 84;
constexpr qsizetype pollDelayOffset = 88;
constexpr qsizetype armPollDelayOffset = 90;
constexpr qsizetype optionBitsOffset = 92;
constexpr qsizetype pollTimerOffset = 94;
constexpr qsizetype pollFailedOffset = 96;
constexpr qsizetype reservedOffset = 98;

void putString(char *image, ShortString field, const QByteArray &value) {
    const qsizetype length = qMin(value.size(), field.maxLength);
    image[field.offset] = char(quint8(length));
    std::copy_n(value.constData(), length, image + field.offset + 1);
}

QByteArray getString(const char *image, ShortString field) {
    const qsizetype length = qMin(qsizetype(quint8(image[field.offset])), field.maxLength);
    return QByteArray(image + field.offset + 1, length);
}

template <typename T> void put(char *image, qsizetype offset, T value) {
    qToLittleEndian<T>(value, image + offset);
}

template <typename T> T get(const char *image, qsizetype offset) {
    return qFromLittleEndian<T>(image + offset);
}

} // namespace

QByteArray accountImage(const AccountRecord &record) {
    QByteArray image(AccountRecord::imageSize, '\0');
    char *data = image.data();
    putString(data, accNameField, record.accName);
    putString(data, nuaIpField, record.nuaIp);
    putString(data, lastNuaIpField, record.lastNuaIp);
    put<quint32>(data, accNumOffset, record.accNum);
    put<quint16>(data, pollDelayOffset, record.pollDelay);
    put<quint16>(data, armPollDelayOffset, record.armPollDelay);
    put<quint16>(data, optionBitsOffset, record.optionBits);
    put<quint16>(data, pollTimerOffset, record.pollTimer);
    put<quint16>(data, pollFailedOffset, record.pollFailed);
    std::copy(record.reserved.begin(), record.reserved.end(), data + reservedOffset);
    return image;
}

AccountRecord accountFromImage(const QByteArray &image, qsizetype offset, ImageTexts texts) {
    // A short piece reads as if the missing bytes were zeros rather than past the end.
    QByteArray padded;
    const char *data = nullptr;
    if (offset >= 0 && image.size() - offset >= AccountRecord::imageSize) {
        data = image.constData() + offset;
    } else {
        if (offset >= 0)
            padded = image.mid(offset, AccountRecord::imageSize);
        padded.resize(AccountRecord::imageSize, '\0');
        data = padded.constData();
    }
    AccountRecord record;
    record.accName = getString(data, accNameField);
    record.nuaIp = getString(data, nuaIpField);
    if (texts == ImageTexts::All)
        record.lastNuaIp = getString(data, lastNuaIpField);
    record.accNum = get<quint32>(data, accNumOffset);
    record.pollDelay = get<quint16>(data, pollDelayOffset);
    record.armPollDelay = get<quint16>(data, armPollDelayOffset);
    record.optionBits = get<quint16>(data, optionBitsOffset);
    record.pollTimer = get<quint16>(data, pollTimerOffset);
    record.pollFailed = get<quint16>(data, pollFailedOffset);
    std::copy_n(data + reservedOffset, record.reserved.size(), record.reserved.begin());
    return record;
}

quint32 accountNumberOfImage(const QByteArray &image, qsizetype offset) {
    return get<quint32>(image.constData() + offset, accNumOffset);
}

void fitToImage(AccountRecord &record) {
    record.accName.truncate(AccountRecord::accNameMaxLength);
    record.nuaIp.truncate(AccountRecord::nuaIpMaxLength);
    record.lastNuaIp.truncate(AccountRecord::lastNuaIpMaxLength);
}
