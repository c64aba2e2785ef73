#include "core/Clock.h"

#include <gtest/gtest.h>

using namespace limsbridge;

TEST(Clock, FixedTimeIsAnsweredUntilReset)
{
    const QDateTime fixed(QDate(2026, 12, 10), QTime(20, 31, 19));
    Clock::setFixed(fixed);
    EXPECT_EQ(Clock::now(), fixed);
    Clock::setSource({});
    EXPECT_LT(qAbs(Clock::now().secsTo(QDateTime::currentDateTime())), 5);
}
