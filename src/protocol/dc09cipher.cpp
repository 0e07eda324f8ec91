#include "protocol/dc09cipher.h"

#include <openssl/evp.h>

#include <memory>

namespace dc09 {

namespace {

constexpr int blockSize = 16;

const EVP_CIPHER *cipherFor(qsizetype keySize) {
    switch (keySize) {
    case 16:
        return EVP_aes_128_cbc();
    case 24:
        return EVP_aes_192_cbc();
    case 32:
        return EVP_aes_256_cbc();
    default:
        return nullptr;
    }
}

const unsigned char *bytes(const QByteArray &array) {
    return reinterpret_cast<const unsigned char *>(array.constData());
}

std::optional<QByteArray> run(const QByteArray &key, const QByteArray &input, bool encrypting) {
    const EVP_CIPHER *cipher = cipherFor(key.size());
    if (cipher == nullptr || input.size() % blockSize != 0)
        return std::nullopt;
    const std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(
        EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    const unsigned char iv[blockSize] = {};
    QByteArray output(input.size() + blockSize, '\0');
    auto *out = reinterpret_cast<unsigned char *>(output.data());
    int written = 0;
    int finalWritten = 0;
    if (!context ||
        EVP_CipherInit_ex(context.get(), cipher, nullptr, bytes(key), iv, encrypting ? 1 : 0) !=
            1 ||
        EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1 ||
        EVP_CipherUpdate(context.get(), out, &written, bytes(input), int(input.size())) != 1 ||
        EVP_CipherFinal_ex(context.get(), out + written, &finalWritten) != 1)
        return std::nullopt;
    output.resize(written + finalWritten);
    return output;
}

} // namespace

std::optional<QByteArray> decrypt(const QByteArray &key, const QByteArray &cipherText) {
    return run(key, cipherText, false);
}

std::optional<QByteArray> encrypt(const QByteArray &key, const QByteArray &plainText) {
    return run(key, plainText, true);
}

} // namespace dc09
