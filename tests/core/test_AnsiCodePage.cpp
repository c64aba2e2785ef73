#include "core/AnsiCodePage.h"

#include <gtest/gtest.h>

using namespace limsbridge;

struct AnsiRow {
    const char* name;
    char16_t character;
    unsigned char byte;
};

TEST(AnsiCodePage, CharactersToWindows1252Bytes)
{
    const AnsiRow rows[] = {
        {"ASCII letter", u'A', 0x41},
        {"control character", 0x0001, 0x01},
        {"euro sign", 0x20AC, 0x80},
        {"single low quote", 0x201A, 0x82},
        {"trade mark", 0x2122, 0x99},
        {"Y with diaeresis", 0x0178, 0x9F},
        {"undefined byte 81 comes back from its control", 0x0081, 0x81},
        {"undefined byte 9D comes back from its control", 0x009D, 0x9D},
        {"C1 control 80 has no byte", 0x0080, '?'},
        {"C1 control 9F has no byte", 0x009F, '?'},
        {"no-break space", 0x00A0, 0xA0},
        {"degree sign", 0x00B0, 0xB0},
        {"micro sign", 0x00B5, 0xB5},
        {"y with diaeresis", 0x00FF, 0xFF},
        {"Greek omega", 0x03A9, '?'},
        {"CJK ideograph", 0x4E2D, '?'},
    };
    for (const AnsiRow& row : rows) {
        EXPECT_EQ(Ansi::fromUnicode(row.character), row.byte) << row.name;
        EXPECT_EQ(Ansi::fromUnicode(QString(QChar(row.character))), QByteArray(1, char(row.byte))) << row.name;
    }
}

TEST(AnsiCodePage, EveryByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const QString text = Ansi::toUnicode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(text[0x8D], QChar(0x008D));
    EXPECT_EQ(text[0xE9], QChar(0x00E9));
    EXPECT_EQ(Ansi::fromUnicode(text), all);
}

TEST(AnsiCodePage, OneBytePerCodeUnit)
{
    // A character outside the basic plane is two UTF-16 units and becomes "??".
    const QString text = QString::fromUtf8("µg/l 😀");
    EXPECT_EQ(Ansi::fromUnicode(text), QByteArray("\xB5g/l ??"));
    EXPECT_EQ(Ansi::toUnicode(QByteArray("\xB0""C")), QString::fromUtf8("°C"));
    EXPECT_TRUE(Ansi::fromUnicode(QString()).isEmpty());
}
