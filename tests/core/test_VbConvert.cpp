#include "core/VbConvert.h"

#include <gtest/gtest.h>

using namespace limsbridge;

TEST(VbConvert, IsNumericAndToDouble)
{
    struct Row {
        const char* text;
        bool numeric;
        double value;
    };
    const Row rows[] = {
        {"12", true, 12},       {" -3 ", true, -3},     {"2.5", true, 2.5},   {".5", true, 0.5},
        {"1,234.5", true, 1234.5}, {"1e3", true, 1000}, {"+7", true, 7},      {"&H10", true, 16},
        {"", false, 0},         {"abc", false, 0},      {"12abc", false, 0},  {"1e", false, 0},
        {"-", false, 0},        {".", false, 0},        {"1.2.3", false, 0},  {",5", false, 0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Vb::IsNumeric(QString(row.text)), row.numeric) << row.text;
        const auto value = Vb::ToDouble(row.text);
        EXPECT_EQ(value.has_value(), row.numeric) << row.text;
        if (value) {
            EXPECT_DOUBLE_EQ(*value, row.value) << row.text;
        }
    }
    EXPECT_TRUE(Vb::IsNumeric(QVariant(3.5)));
    EXPECT_FALSE(Vb::IsNumeric(QVariant()));
}

TEST(VbConvert, CIntRoundsHalvesToEvenAndRefusesOverflow)
{
    struct Row {
        double value;
        std::optional<qint16> result;
    };
    const Row rows[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {0.4, 0}, {32767, 32767}, {-32768, -32768}, {32767.6, std::nullopt},
        {-32768.6, std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Vb::CInt(row.value), row.result) << row.value;
    EXPECT_EQ(Vb::CInt(QString("x")), std::nullopt);
}

TEST(VbConvert, ValReadsTheLeadingNumber)
{
    struct Row {
        const char* text;
        double value;
    };
    const Row rows[] = {{"12abc", 12}, {"  1 2 3", 123}, {"-4.5e2x", -450}, {"abc", 0}, {"", 0}, {"3.1.4", 3.1}};
    for (const Row& row : rows)
        EXPECT_DOUBLE_EQ(Vb::Val(row.text), row.value) << row.text;
}
