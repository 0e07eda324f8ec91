#include "protocol/dc09receipt.h"

namespace dc09 {

Receipt receive(const QByteArray &, const KeyLookup &, const ReceiveOptions &, const QDateTime &) {
    return Receipt{};
}

std::optional<QByteArray> parseKey(const QByteArray &) {
    return std::nullopt;
}

} // namespace dc09
