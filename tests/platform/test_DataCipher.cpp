#include "platform/DataCipher.h"

#include <QByteArray>

#include <gtest/gtest.h>

using namespace limsbridge;

namespace {

const QString kPhrase = QStringLiteral("9!cD%e2Qx~");

QString encrypted(const QString& plain)
{
    QString cipherText;
    QString error;
    EXPECT_TRUE(DataCipher::encrypt(plain, kPhrase, cipherText, &error)) << error.toStdString();
    return cipherText;
}

// The cipher text with one byte of its decoded form changed.
QString withByteFlipped(const QString& cipherText, qsizetype index)
{
    QByteArray packed = QByteArray::fromBase64(cipherText.toLatin1());
    packed[index] = char(packed[index] ^ 0x01);
    return QString::fromLatin1(packed.toBase64());
}

} // namespace

TEST(DataCipher, RoundTripsTextOfAnyKind)
{
    const QString texts[] = {
        QString(),
        QStringLiteral("x"),
        QString::fromUtf8("<OPTIONS><UNIT>°C µg/l €</UNIT></OPTIONS>"),
        QString(5000, QLatin1Char('a')) + QChar(0x0001) + QStringLiteral("\r\n"),
    };
    for (const QString& text : texts) {
        const QString cipherText = encrypted(text);
        QString back = QStringLiteral("unchanged");
        QString error;
        ASSERT_TRUE(DataCipher::decrypt(cipherText, kPhrase, back, &error)) << error.toStdString();
        EXPECT_EQ(back, text);
        // Base64 of 16 salt + 12 IV + 16 tag bytes and the UTF-8 text.
        EXPECT_EQ(QByteArray::fromBase64(cipherText.toLatin1()).size(), 44 + text.toUtf8().size());
    }
}

TEST(DataCipher, SameTextEncryptsDifferentlyEachTime)
{
    EXPECT_NE(encrypted("secret"), encrypted("secret"));
    EXPECT_FALSE(encrypted("secret value").contains("secret"));
}

TEST(DataCipher, WrongPassPhraseIsDetected)
{
    const QString cipherText = encrypted("<A>1</A>");
    QString plain = QStringLiteral("unchanged");
    QString error;
    EXPECT_FALSE(DataCipher::decrypt(cipherText, QStringLiteral("9!cD%e2Qx!"), plain, &error));
    EXPECT_EQ(plain, "unchanged");
    EXPECT_EQ(error, "Wrong pass phrase or the encrypted text was changed");
}

TEST(DataCipher, ChangedTextIsDetectedWhereverTheChangeIs)
{
    const QString cipherText = encrypted("<A>1</A><B>2</B>");
    const struct {
        const char* name;
        qsizetype index;
    } rows[] = {{"salt", 0}, {"IV", 20}, {"tag", 30}, {"first text byte", 44}, {"last text byte", 59}};
    for (const auto& row : rows) {
        QString plain = QStringLiteral("unchanged");
        EXPECT_FALSE(DataCipher::decrypt(withByteFlipped(cipherText, row.index), kPhrase, plain)) << row.name;
        EXPECT_EQ(plain, "unchanged") << row.name;
    }
}

TEST(DataCipher, TextThatIsNoCipherTextIsRejected)
{
    const struct {
        const char* name;
        QString text;
        QString error;
    } rows[] = {
        {"not base64", QStringLiteral("<A>1</A>"), QStringLiteral("The encrypted text is not base64")},
        {"shorter than salt, IV and tag", QString::fromLatin1(QByteArray(43, 'x').toBase64()),
         QStringLiteral("The encrypted text is too short")},
        {"empty", QString(), QStringLiteral("The encrypted text is too short")},
        {"random bytes", QString::fromLatin1(QByteArray(80, 'x').toBase64()),
         QStringLiteral("Wrong pass phrase or the encrypted text was changed")},
    };
    for (const auto& row : rows) {
        QString plain;
        QString error;
        EXPECT_FALSE(DataCipher::decrypt(row.text, kPhrase, plain, &error)) << row.name;
        EXPECT_EQ(error, row.error) << row.name;
    }
}
