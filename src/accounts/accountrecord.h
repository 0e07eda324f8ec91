#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>
#include <optional>

// One polling account: a panel known by its account number, with the NUA or IP address it is
// expected to call from, its polling delays, options and the live state of its supervision.
struct AccountRecord {
    static constexpr int imageSize = 104;

    // Longest texts the image has room for.
    static constexpr qsizetype accNameMaxLength = 30;
    static constexpr qsizetype nuaIpMaxLength = 20;
    static constexpr qsizetype lastNuaIpMaxLength = 20;

    // Option bits.
    static constexpr quint16 SyncClock = 0x0001;
    static constexpr quint16 MatchNuaIp = 0x0002;
    static constexpr quint16 ReportFaultAsSia = 0x0004;

    QByteArray accName;   // at most 30 bytes
    QByteArray nuaIp;     // at most 20 bytes: where the panel is expected to call from
    QByteArray lastNuaIp; // at most 20 bytes: where the latest message came from
    quint32 accNum = 0;
    quint16 pollDelay = 0;
    quint16 armPollDelay = 0;
    quint16 optionBits = 0;
    quint16 pollTimer = 0;
    quint16 pollFailed = 0;
    // Bytes 98 to 103 of the image. Nothing here uses them, but another program or a later
    // version may: they go back to the file as they were read.
    std::array<char, 6> reserved{};

    // With "Match NUA / IP" set, a message for this account is taken only from its own NUA or
    // address.
    bool admitsCaller(const QByteArray &caller) const {
        return !(optionBits & MatchNuaIp) || nuaIp == caller;
    }

    bool operator==(const AccountRecord &) const = default;
};

// The 104-byte little-endian image of a record as Accounts.PDB holds it: short strings (length
// byte + field), zeros in the link words, the unused string bytes and the padding, and the
// reserved bytes as the record holds them.
QByteArray accountImage(const AccountRecord &record);

// Reads a record from an image of at least 104 bytes. A length byte above its field's maximum
// (a damaged file) is clamped to the field. Bytes missing at the end of a shorter image read as
// zeros. WithoutLast leaves the last NUA / IP empty, as a load does.
enum class ImageTexts { All, WithoutLast };
AccountRecord accountFromImage(const QByteArray &image, qsizetype offset = 0,
                               ImageTexts texts = ImageTexts::All);
// The account number of the image at `offset`, which holds a whole record.
quint32 accountNumberOfImage(const QByteArray &image, qsizetype offset);

// Cuts the texts to what the image holds, so a record kept in memory equals the one its file
// image gives back.
void fitToImage(AccountRecord &record);
