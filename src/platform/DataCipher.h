// Encryption of text with a pass phrase, for data kept in files that should
// not be readable or silently changed: AES-256-GCM with a key derived from
// the pass phrase by PBKDF2-HMAC-SHA256 over a random salt. The result is
// base64 text holding salt, IV, authentication tag and cipher text, so a wrong
// pass phrase or a changed character is detected instead of decoding into
// garbage.
#pragma once

#include <QString>

namespace limsbridge {

class DataCipher {
public:
    //! Encrypts the text (as UTF-8); false with a reason in errorText when the
    //! cipher cannot run.
    static bool encrypt(const QString& plainText, const QString& passPhrase, QString& cipherText,
                        QString* errorText = nullptr);

    //! Decrypts what encrypt produced; false with a reason in errorText when
    //! the text is not such a result, was changed, or the pass phrase is wrong.
    static bool decrypt(const QString& cipherText, const QString& passPhrase, QString& plainText,
                        QString* errorText = nullptr);
};

} // namespace limsbridge
