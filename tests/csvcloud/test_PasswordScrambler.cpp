#include "csvcloud/PasswordScrambler.h"
#include "platform/RaisedError.h"

#include <gtest/gtest.h>

using namespace limsbridge;

TEST(PasswordScrambler, RoundTripsPrintablePasswords)
{
    const QString passwords[] = {"a", "secret", "P@ss w0rd!", "~~~~~~~~~~~~~~~~~~~~~~~~~~~~~",
                                 "abcdefghijklmnopqrstuvwxyz012"};
    for (const QString& password : passwords) {
        const QString stored = ScramblePassword(password);
        EXPECT_EQ(stored.size(), password.size() + 7);
        EXPECT_TRUE(stored.startsWith("|~"));
        EXPECT_EQ(UnscramblePassword(stored), password) << password.toStdString();
    }
}

TEST(PasswordScrambler, BodyIsReversedAndLowered)
{
    // "ab": body = chr('b' - 2 - 2), chr('a' - 2 - 1)
    const QString stored = ScramblePassword("ab");
    EXPECT_EQ(stored.mid(4, 2), QString("^^"));
    EXPECT_EQ(UnscramblePassword("|~xx^^yyy"), "ab");
}

TEST(PasswordScrambler, EmptyAndUnreadableTexts)
{
    EXPECT_EQ(UnscramblePassword(""), "");
    EXPECT_EQ(UnscramblePassword("|~xxyyy"), "");
    for (const QString& stored : {QString("|"), QString("|~xxyy")}) {
        try {
            UnscramblePassword(stored);
            ADD_FAILURE() << "no error for " << stored.toStdString();
        } catch (const RaisedError& error) {
            EXPECT_EQ(error.number(), 5);
        }
    }
    EXPECT_THROW(ScramblePassword(QString(QChar(2))), RaisedError);
}
