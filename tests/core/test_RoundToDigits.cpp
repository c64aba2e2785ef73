// Rounding halves away from zero on the decimal value of a double.
#include "core/RoundToDigits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace limsbridge;

namespace {

struct Row {
    const char* name;
    double value;
    qint16 digits;
    double expected;
};

const Row kRows[] = {
    {"HalfUp", 2.5, 0, 3},
    {"NegativeHalfAwayFromZero", -2.5, 0, -3},
    {"BelowHalf", 0.4, 0, 0},
    {"NegativeBelowHalf", -0.4, 0, 0},
    {"OneDigitHalf", 2.25, 1, 2.3},
    {"NegativeOneDigitHalf", -2.25, 1, -2.3},
    {"TensFromNegativeDigits", 1234.5, -1, 1230},
    {"TensHalf", 1235, -1, 1240},
    {"Hundreds", -1250, -2, -1300},
    // 1.005 is stored as 1.00499999999999989..., but it is the decimal 1.005
    // that is rounded.
    {"DecimalNotBinaryValue", 1.005, 2, 1.01},
    {"DecimalNotBinaryValueNegative", -1.005, 2, -1.01},
    {"DecimalNotBinaryValue2", 2.675, 2, 2.68},
    {"ThirdOfTen", 0.1 * 3, 1, 0.3},
    {"ManyDigits", 3.14159265358979, 4, 3.1416},
    {"Zero", 0, 2, 0},
    {"SmallToZero", 0.004, 2, 0},
    {"Large", 123456789012.345, 2, 123456789012.35},
    {"AlreadyRound", 17.25, 2, 17.25},
    {"Tiny", 4.9e-324, 2, 0},
};

class Rounding : public ::testing::TestWithParam<Row> {};

} // namespace

TEST_P(Rounding, RoundsHalfAwayFromZero) {
    const Row& row = GetParam();
    const double result = RoundToDigits(row.value, row.digits);
    EXPECT_EQ(result, row.expected);
    EXPECT_FALSE(std::signbit(result) && result == 0) << "zero is returned as 0, not -0";
}

INSTANTIATE_TEST_SUITE_P(RoundToDigits, Rounding, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RoundToDigits, UnroundableValuesComeBackUnchanged) {
    EXPECT_EQ(RoundToDigits(1e300, 2), 1e300);      // beyond the decimal range
    EXPECT_EQ(RoundToDigits(1.23456, 29), 1.23456); // factor beyond the decimal range
    EXPECT_EQ(RoundToDigits(1234.5, -29), 1234.5);
    EXPECT_TRUE(std::isnan(RoundToDigits(std::numeric_limits<double>::quiet_NaN(), 2)));
    EXPECT_EQ(RoundToDigits(std::numeric_limits<double>::infinity(), 2),
              std::numeric_limits<double>::infinity());
}

TEST(RoundToDigits, CacheIsRebuiltOnlyForAnotherDigitCount) {
    RoundToDigits(1.5, 7); // make sure the cache holds another count than 3
    const quint64 start = Internal::roundToDigitsCacheBuilds();
    EXPECT_EQ(RoundToDigits(1.23456, 3), 1.235);
    EXPECT_EQ(Internal::roundToDigitsCacheBuilds(), start + 1);
    EXPECT_EQ(RoundToDigits(9.87654, 3), 9.877);
    EXPECT_EQ(Internal::roundToDigitsCacheBuilds(), start + 1);
    EXPECT_EQ(RoundToDigits(9.87654, 1), 9.9);
    EXPECT_EQ(Internal::roundToDigitsCacheBuilds(), start + 2);
    EXPECT_EQ(RoundToDigits(1.23456, 3), 1.235);
    EXPECT_EQ(Internal::roundToDigitsCacheBuilds(), start + 3);
}
