// The date-range shortcuts of the two dialogs: every row of the list at one
// base time, the dated examples, the quarter spellings and the boundaries.
#include "import/DateRangeShortcuts.h"

#include <gtest/gtest.h>

using namespace limsbridge;

namespace {

QDateTime at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

std::string text(const QDateTime& t) {
    return t.toString("yyyy-MM-dd HH:mm:ss").toStdString();
}

struct ShortcutRow {
    const char* name;
    QDateTime start;
    QDateTime end;
};

// B = 15 May 2024 14:37:25 (a leap year: February has 29 days).
const QDateTime kBase = at(2024, 5, 15, 14, 37, 25);

const ShortcutRow kRows[] = {
    {"LAST HOUR", at(2024, 5, 15, 13), at(2024, 5, 15, 14)},
    {"TODAY", at(2024, 5, 15), at(2024, 5, 15, 14, 37)},
    {"YESTERDAY", at(2024, 5, 14), at(2024, 5, 15)},
    {"YESTERDAY AND TODAY", at(2024, 5, 14), at(2024, 5, 15, 14, 37)},
    {"LAST 7 DAYS", at(2024, 5, 8), at(2024, 5, 15)},
    {"LAST MONTH", at(2024, 4, 1), at(2024, 5, 1)},
    {"MONTH TO DATE", at(2024, 5, 1), at(2024, 5, 15)},
    {"LAST QUATER", at(2024, 1, 1), at(2024, 4, 1)},
    {"QUATER TO DATE", at(2024, 4, 1), at(2024, 5, 15)},
    {"LAST YEAR", at(2023, 1, 1), at(2024, 1, 1)},
    {"YEAR TO DATE", at(2024, 1, 1), at(2024, 5, 15)},
    {"LAST 30 DAYS", at(2024, 4, 15), at(2024, 5, 15)},
    {"LAST 45 DAYS", at(2024, 3, 31), at(2024, 5, 15)},
    {"LAST 60 DAYS", at(2024, 3, 16), at(2024, 5, 15)},
    {"LAST 90 DAYS", at(2024, 2, 15), at(2024, 5, 15)},
    {"LAST 120 DAYS", at(2024, 1, 16), at(2024, 5, 15)},
    {"LAST 180 DAYS", at(2023, 11, 17), at(2024, 5, 15)},
    {"30 DAYS 3 DAYS AGO", at(2024, 4, 12), at(2024, 5, 12)},
    {"30 DAYS 5 DAYS AGO", at(2024, 4, 10), at(2024, 5, 10)},
    {"30 DAYS 7 DAYS AGO", at(2024, 4, 8), at(2024, 5, 8)},
    {"45 DAYS 3 DAYS AGO", at(2024, 3, 28), at(2024, 5, 12)},
    {"45 DAYS 5 DAYS AGO", at(2024, 3, 26), at(2024, 5, 10)},
    {"45 DAYS 7 DAYS AGO", at(2024, 3, 24), at(2024, 5, 8)},
    {"60 DAYS 3 DAYS AGO", at(2024, 3, 13), at(2024, 5, 12)},
    {"60 DAYS 5 DAYS AGO", at(2024, 3, 11), at(2024, 5, 10)},
    {"60 DAYS 7 DAYS AGO", at(2024, 3, 9), at(2024, 5, 8)},
    {"90 DAYS 3 DAYS AGO", at(2024, 2, 12), at(2024, 5, 12)},
    {"90 DAYS 5 DAYS AGO", at(2024, 2, 10), at(2024, 5, 10)},
    {"90 DAYS 7 DAYS AGO", at(2024, 2, 8), at(2024, 5, 8)},
    {"120 DAYS 3 DAYS AGO", at(2024, 1, 13), at(2024, 5, 12)},
    {"120 DAYS 5 DAYS AGO", at(2024, 1, 11), at(2024, 5, 10)},
    {"120 DAYS 7 DAYS AGO", at(2024, 1, 9), at(2024, 5, 8)},
    {"180 DAYS 3 DAYS AGO", at(2023, 11, 14), at(2024, 5, 12)},
    {"180 DAYS 5 DAYS AGO", at(2023, 11, 12), at(2024, 5, 10)},
    {"180 DAYS 7 DAYS AGO", at(2023, 11, 10), at(2024, 5, 8)},
    {"ALL", at(1970, 1, 1), at(2024, 5, 15, 14, 37)},
};

} // namespace

TEST(DateRangeShortcuts, TheListHasEveryRowInOrder) {
    ASSERT_EQ(std::size(kRows), kDateRangeShortcuts.size());
    for (size_t i = 0; i < kDateRangeShortcuts.size(); ++i)
        EXPECT_STREQ(kDateRangeShortcuts[i].name, kRows[i].name) << "entry " << i;
    EXPECT_STREQ(kDateRangeShortcuts[kDefaultDateRangeShortcut].name, "YESTERDAY AND TODAY");
}

TEST(DateRangeShortcuts, EveryRowAtOneBaseTime) {
    for (const ShortcutRow& row : kRows) {
        SCOPED_TRACE(row.name);
        const auto range = DateRangeForShortcut(QString::fromLatin1(row.name), kBase);
        ASSERT_TRUE(range.has_value());
        EXPECT_EQ(text(range->start), text(row.start));
        EXPECT_EQ(text(range->end), text(row.end));
    }
}

TEST(DateRangeShortcuts, DatedExamples) {
    struct Example {
        const char* name;
        QDateTime base;
        QDateTime start;
        QDateTime end;
    };
    const Example examples[] = {
        // On 15 May at 14:37.
        {"LAST MONTH", at(2024, 5, 15, 14, 37), at(2024, 4, 1), at(2024, 5, 1)},
        {"QUATER TO DATE", at(2024, 5, 15, 14, 37), at(2024, 4, 1), at(2024, 5, 15)},
        {"LAST QUATER", at(2024, 5, 15, 14, 37), at(2024, 1, 1), at(2024, 4, 1)},
        {"LAST HOUR", at(2024, 5, 15, 14, 37), at(2024, 5, 15, 13), at(2024, 5, 15, 14)},
        {"TODAY", at(2024, 5, 15, 14, 37), at(2024, 5, 15), at(2024, 5, 15, 14, 37)},
        {"30 DAYS 7 DAYS AGO", at(2024, 5, 15, 14, 37), at(2024, 4, 8), at(2024, 5, 8)},
        // On 10 February the previous quarter lies in the previous year.
        {"LAST QUATER", at(2024, 2, 10, 9), at(2023, 10, 1), at(2024, 1, 1)},
        {"QUATER TO DATE", at(2024, 2, 10, 9), at(2024, 1, 1), at(2024, 2, 10)},
        // The last day of a long month: three months back must not land in another quarter.
        {"LAST QUATER", at(2024, 5, 31, 8), at(2024, 1, 1), at(2024, 4, 1)},
        {"LAST QUATER", at(2024, 12, 31, 23, 59), at(2024, 7, 1), at(2024, 10, 1)},
        {"LAST MONTH", at(2024, 3, 31, 12), at(2024, 2, 1), at(2024, 3, 1)},
        {"LAST MONTH", at(2024, 1, 20), at(2023, 12, 1), at(2024, 1, 1)},
        // Just after midnight the last hour belongs to the day before.
        {"LAST HOUR", at(2024, 3, 1, 0, 20), at(2024, 2, 29, 23), at(2024, 3, 1, 0)},
        {"YESTERDAY", at(2024, 3, 1, 0, 20), at(2024, 2, 29), at(2024, 3, 1)},
        {"LAST YEAR", at(2024, 1, 1, 0, 0), at(2023, 1, 1), at(2024, 1, 1)},
    };
    for (const Example& example : examples) {
        SCOPED_TRACE(std::string(example.name) + " at " + text(example.base));
        const auto range = DateRangeForShortcut(QString::fromLatin1(example.name), example.base);
        ASSERT_TRUE(range.has_value());
        EXPECT_EQ(text(range->start), text(example.start));
        EXPECT_EQ(text(range->end), text(example.end));
    }
}

TEST(DateRangeShortcuts, CorrectQuarterSpellingsAndLowerCaseAreAccepted) {
    const auto lastQuarter = DateRangeForShortcut("LAST QUARTER", kBase);
    const auto lastQuater = DateRangeForShortcut("LAST QUATER", kBase);
    ASSERT_TRUE(lastQuarter && lastQuater);
    EXPECT_EQ(lastQuarter->start, lastQuater->start);
    EXPECT_EQ(lastQuarter->end, lastQuater->end);

    const auto quarterToDate = DateRangeForShortcut("quarter to date", kBase);
    ASSERT_TRUE(quarterToDate);
    EXPECT_EQ(text(quarterToDate->start), text(at(2024, 4, 1)));
    EXPECT_EQ(text(quarterToDate->end), text(at(2024, 5, 15)));

    const auto lower = DateRangeForShortcut("last 7 days", kBase);
    ASSERT_TRUE(lower);
    EXPECT_EQ(text(lower->start), text(at(2024, 5, 8)));
}

TEST(DateRangeShortcuts, AnUnknownTextChangesNothing) {
    EXPECT_FALSE(DateRangeForShortcut("LAST WEEK", kBase).has_value());
    EXPECT_FALSE(DateRangeForShortcut(" TODAY", kBase).has_value());
    EXPECT_FALSE(DateRangeForShortcut("", kBase).has_value());
    EXPECT_FALSE(DateRangeForShortcut("TODAY", QDateTime()).has_value());
}
