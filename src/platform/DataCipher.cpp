#include "DataCipher.h"

#include <QByteArray>

#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <array>
#include <memory>

namespace limsbridge {

namespace {

constexpr int kSaltLength = 16;
constexpr int kIvLength = 12; // the GCM standard nonce length
constexpr int kTagLength = 16;
constexpr int kKeyLength = 32;
// Enough to make guessing costly without delaying every configuration read
// noticeably (a few tens of milliseconds).
constexpr int kIterations = 100000;

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

// The key is wiped when it goes out of scope, whichever way the routine ends.
struct Key {
    std::array<unsigned char, kKeyLength> bytes{};
    ~Key() { OPENSSL_cleanse(bytes.data(), bytes.size()); }
};

QString opensslError(const char* what)
{
    const unsigned long code = ERR_get_error();
    QString text = QString::fromLatin1(what);
    if (code != 0) {
        std::array<char, 256> buffer{};
        ERR_error_string_n(code, buffer.data(), buffer.size());
        text += QStringLiteral(": ") + QString::fromLatin1(buffer.data());
    }
    ERR_clear_error();
    return text;
}

bool fail(QString* errorText, const QString& text)
{
    if (errorText)
        *errorText = text;
    return false;
}

bool deriveKey(const QString& passPhrase, const unsigned char* salt, Key& key)
{
    const QByteArray phrase = passPhrase.toUtf8();
    return PKCS5_PBKDF2_HMAC(phrase.constData(), int(phrase.size()), salt, kSaltLength, kIterations, EVP_sha256(),
                             kKeyLength, key.bytes.data()) == 1;
}

} // namespace

bool DataCipher::encrypt(const QString& plainText, const QString& passPhrase, QString& cipherText,
                         QString* errorText)
{
    const QByteArray plain = plainText.toUtf8();
    QByteArray packed(kSaltLength + kIvLength + kTagLength + plain.size(), Qt::Uninitialized);
    auto* salt = reinterpret_cast<unsigned char*>(packed.data());
    unsigned char* iv = salt + kSaltLength;
    unsigned char* tag = iv + kIvLength;
    unsigned char* body = tag + kTagLength;

    if (RAND_bytes(salt, kSaltLength + kIvLength) != 1)
        return fail(errorText, opensslError("RAND_bytes failed"));
    Key key;
    if (!deriveKey(passPhrase, salt, key))
        return fail(errorText, opensslError("PBKDF2 failed"));

    CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    int length = 0;
    int finalLength = 0;
    if (!context || EVP_EncryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_IVLEN, kIvLength, nullptr) != 1 ||
        EVP_EncryptInit_ex(context.get(), nullptr, nullptr, key.bytes.data(), iv) != 1 ||
        EVP_EncryptUpdate(context.get(), body, &length, reinterpret_cast<const unsigned char*>(plain.constData()),
                          int(plain.size())) != 1 ||
        EVP_EncryptFinal_ex(context.get(), body + length, &finalLength) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, kTagLength, tag) != 1)
        return fail(errorText, opensslError("AES-256-GCM encryption failed"));

    cipherText = QString::fromLatin1(packed.toBase64());
    return true;
}

bool DataCipher::decrypt(const QString& cipherText, const QString& passPhrase, QString& plainText,
                         QString* errorText)
{
    const auto decoded =
        QByteArray::fromBase64Encoding(cipherText.trimmed().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return fail(errorText, QStringLiteral("The encrypted text is not base64"));
    const QByteArray& packed = *decoded;
    if (packed.size() < kSaltLength + kIvLength + kTagLength)
        return fail(errorText, QStringLiteral("The encrypted text is too short"));

    const auto* salt = reinterpret_cast<const unsigned char*>(packed.constData());
    const unsigned char* iv = salt + kSaltLength;
    const unsigned char* tag = iv + kIvLength;
    const unsigned char* body = tag + kTagLength;
    const int bodyLength = int(packed.size()) - kSaltLength - kIvLength - kTagLength;

    Key key;
    if (!deriveKey(passPhrase, salt, key))
        return fail(errorText, opensslError("PBKDF2 failed"));

    QByteArray plain(bodyLength, Qt::Uninitialized);
    auto* out = reinterpret_cast<unsigned char*>(plain.data());
    CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    int length = 0;
    int finalLength = 0;
    if (!context || EVP_DecryptInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_IVLEN, kIvLength, nullptr) != 1 ||
        EVP_DecryptInit_ex(context.get(), nullptr, nullptr, key.bytes.data(), iv) != 1 ||
        EVP_DecryptUpdate(context.get(), out, &length, body, bodyLength) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, kTagLength, const_cast<unsigned char*>(tag)) != 1)
        return fail(errorText, opensslError("AES-256-GCM decryption failed"));
    // The tag is checked here: a wrong pass phrase or a changed byte ends in
    // this failure, and the decrypted bytes are thrown away unread.
    if (EVP_DecryptFinal_ex(context.get(), out + length, &finalLength) != 1) {
        OPENSSL_cleanse(plain.data(), size_t(plain.size()));
        ERR_clear_error();
        return fail(errorText, QStringLiteral("Wrong pass phrase or the encrypted text was changed"));
    }
    plainText = QString::fromUtf8(plain.constData(), length + finalLength);
    return true;
}

} // namespace limsbridge
