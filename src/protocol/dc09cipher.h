#pragma once

#include <QByteArray>
#include <optional>

// AES-CBC with an all-zero IV and no padding of its own (the sender pads the text to whole
// blocks), as DC-09 panels encrypt. The key is 16, 24 or 32 bytes; the text whole 16-byte blocks.
// None when the key or the text length is not one of those, or the library fails.
namespace dc09 {

std::optional<QByteArray> decrypt(const QByteArray &key, const QByteArray &cipherText);
std::optional<QByteArray> encrypt(const QByteArray &key, const QByteArray &plainText);

} // namespace dc09
