// Type codes: kind, frequency, data table, slots per day and slot starts.
#include "source/VarTypeFunctions.h"

#include <gtest/gtest.h>

using namespace limsbridge;

// Readable failure messages.
static void PrintTo(const QDateTime& value, std::ostream* out) {
    *out << value.toString(Qt::ISODateWithMs).toStdString();
}

namespace {

QDateTime at(int hour, int minute, int second, int msec = 0) {
    return QDateTime(QDate(2024, 3, 5), QTime(hour, minute, second, msec));
}

struct CodeRow {
    const char* name;
    const char* code;
    const char* typeName;
    const char* frequencyName;
    const char* dataTable;
    qint32 intervals;
    QTime slotOf134710; // slot start of 2024-03-05 13:47:10
};

const CodeRow kCodeRows[] = {
    {"Q", "Q", "Text Parameter", "30 Minutes", "DATADD3", 48, QTime(13, 30, 0)},
    {"Four", "4", "Parameter", "4 Hours", "DATADD4", 6, QTime(12, 0, 0)},
    {"G", "G", "Calculated", "4 Hours", "DATADD4", 6, QTime(12, 0, 0)},
    {"Eight", "8", "Text Parameter", "Second", "DATADDX", 86400, QTime(13, 47, 10)},
    {"P", "P", "Parameter", "Day", "DATATBL", 1, QTime(0, 0, 0)},
    {"N", "N", "Calculated", "Hour", "DATADDH", 24, QTime(13, 0, 0)},
    {"X", "X", "Text Parameter", "15 Minutes", "DATADDF", 96, QTime(13, 45, 0)},
    {"Y", "Y", "Calculated", "5 Minutes", "DATADD5", 288, QTime(13, 45, 0)},
    {"A", "A", "Text Parameter", "Minute", "DATADD1", 1440, QTime(13, 47, 0)},
    // Outside the matrix: a daily parameter.
    {"Z", "Z", "Parameter", "Day", "DATATBL", 1, QTime(0, 0, 0)},
    // The empty code is in every class string: each routine takes the first
    // class of its own order.
    {"Empty", "", "Parameter", "Day", "DATADDH", 24, QTime(12, 0, 0)},
};

class CodeTable : public ::testing::TestWithParam<CodeRow> {};

} // namespace

TEST_P(CodeTable, DecodesTheCode) {
    const CodeRow& row = GetParam();
    const QString code = QString::fromLatin1(row.code);
    EXPECT_EQ(VarTypeFunctions::TypeName(code), QLatin1String(row.typeName));
    EXPECT_EQ(VarTypeFunctions::FrequencyName(code), QLatin1String(row.frequencyName));
    EXPECT_EQ(VarTypeFunctions::DataTableName(code), QLatin1String(row.dataTable));
    EXPECT_EQ(VarTypeFunctions::IntervalsPerDay(code), row.intervals);
    EXPECT_EQ(VarTypeFunctions::SlotStart(at(13, 47, 10), code),
              QDateTime(QDate(2024, 3, 5), row.slotOf134710));
}

INSTANTIATE_TEST_SUITE_P(VarTypeFunctions, CodeTable, ::testing::ValuesIn(kCodeRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VarTypeFunctions, ClassTestsOfTheExampleCodes) {
    using namespace VarTypeFunctions;
    EXPECT_TRUE(IsTypeTextParameter("Q"));
    EXPECT_FALSE(IsTypeParameter("Q"));
    EXPECT_FALSE(IsTypeCalculated("Q"));
    EXPECT_TRUE(IsFrequency30Minutes("Q"));
    EXPECT_FALSE(IsFrequencyHour("Q"));

    EXPECT_TRUE(IsTypeParameter("4"));
    EXPECT_TRUE(IsFrequency4Hours("4"));
    EXPECT_TRUE(IsTypeCalculated("G"));
    EXPECT_TRUE(IsFrequency4Hours("G"));
    EXPECT_TRUE(IsTypeTextParameter("8"));
    EXPECT_TRUE(IsFrequencySecond("8"));

    for (const char* code : {"Z", "p", "q"}) {
        EXPECT_FALSE(IsTypeParameter(code)) << code;
        EXPECT_FALSE(IsTypeCalculated(code)) << code;
        EXPECT_FALSE(IsTypeTextParameter(code)) << code;
        EXPECT_FALSE(IsFrequencyDay(code)) << code;
        EXPECT_FALSE(IsFrequencySecond(code)) << code;
    }

    EXPECT_TRUE(IsFrequencyDay(""));
    EXPECT_TRUE(IsFrequencySecond(""));
    EXPECT_TRUE(IsTypeCalculated(""));
}

TEST(VarTypeFunctions, EveryMatrixCodeHasExactlyOneKindAndOneFrequency) {
    using namespace VarTypeFunctions;
    using Test = bool (*)(const QString&);
    const Test kinds[] = {IsTypeParameter, IsTypeCalculated, IsTypeTextParameter};
    const Test frequencies[] = {IsFrequencyDay,       IsFrequency4Hours,    IsFrequencyHour,
                                IsFrequency30Minutes, IsFrequency15Minutes, IsFrequency5Minutes,
                                IsFrequencyMinute,    IsFrequencySecond};
    // Rows are frequencies, columns parameter / calculated / text parameter.
    const char* matrix[] = {"PCT", "4GE", "HNB", "3WQ", "FVX", "5YR", "1SA", "908"};
    for (int f = 0; f < 8; ++f) {
        for (int k = 0; k < 3; ++k) {
            const QString code(QLatin1Char(matrix[f][k]));
            for (int other = 0; other < 3; ++other)
                EXPECT_EQ(kinds[other](code), other == k) << code.toStdString() << " kind " << other;
            for (int other = 0; other < 8; ++other)
                EXPECT_EQ(frequencies[other](code), other == f)
                    << code.toStdString() << " frequency " << other;
        }
    }
}

namespace {

struct SlotRow {
    const char* name;
    const char* code;
    QDateTime time;
    QDateTime start;
};

const SlotRow kSlotRows[] = {
    {"FourHoursLastSecond", "4", at(15, 59, 59), at(12, 0, 0)},
    {"FourHoursBoundary", "4", at(16, 0, 0), at(16, 0, 0)},
    {"FourHoursBeforeMidnight", "G", at(23, 59, 59), at(20, 0, 0)},
    {"FourHoursMidnight", "E", at(0, 0, 0), at(0, 0, 0)},
    {"HourLastSecond", "H", at(13, 59, 59), at(13, 0, 0)},
    {"ThirtyMinutesLastSecond", "3", at(13, 29, 59), at(13, 0, 0)},
    {"ThirtyMinutesBoundary", "W", at(13, 30, 0), at(13, 30, 0)},
    {"FifteenMinutesBeforeMidnight", "F", at(23, 59, 59), at(23, 45, 0)},
    {"FiveMinutesLastSecond", "5", at(13, 4, 59), at(13, 0, 0)},
    {"MinuteDropsSeconds", "1", at(23, 59, 59), at(23, 59, 0)},
    {"SecondKeepsTheSecond", "8", at(23, 59, 59), at(23, 59, 59)},
    {"SecondDropsMilliseconds", "9", at(13, 47, 10, 999), at(13, 47, 10)},
    {"DayBeforeMidnight", "P", at(23, 59, 59), at(0, 0, 0)},
    {"DayAtMidnight", "T", at(0, 0, 0), at(0, 0, 0)},
    {"UnknownAtMidnight", "Z", at(0, 0, 0), at(0, 0, 0)},
};

class SlotTable : public ::testing::TestWithParam<SlotRow> {};

} // namespace

TEST_P(SlotTable, SlotStart) {
    const SlotRow& row = GetParam();
    EXPECT_EQ(VarTypeFunctions::SlotStart(row.time, QString::fromLatin1(row.code)), row.start);
}

INSTANTIATE_TEST_SUITE_P(VarTypeFunctions, SlotTable, ::testing::ValuesIn(kSlotRows),
                         [](const auto& info) { return std::string(info.param.name); });
