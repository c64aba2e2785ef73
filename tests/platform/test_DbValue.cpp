// The conversions of database values: dates from every form the drivers hand
// over, the text of a value, values prepared for binding, SQL literals.
#include "platform/DbValue.h"

#include "test_DbSupport.h"

using namespace limsbridge;

namespace {

struct DateCase {
    const char* name;
    QVariant value;
    QDateTime expected; // invalid: not a date
};

const QDateTime march15(QDate(2024, 3, 15), QTime(10, 20, 30));

std::vector<DateCase> dateCases() {
    return {
        {"DateTime", QVariant(march15), march15},
        {"DateOnly", QVariant(QDate(2024, 3, 15)), QDateTime(QDate(2024, 3, 15), QTime(0, 0))},
        {"TextWithBlank", QVariant("2024-03-15 10:20:30"), march15},
        {"TextWithT", QVariant("2024-03-15T10:20:30"), march15},
        {"TextWithMilliseconds", QVariant("2024-03-15T10:20:30.123"),
         QDateTime(QDate(2024, 3, 15), QTime(10, 20, 30, 123))},
        {"TextWithMicroseconds", QVariant("2024-03-15 10:20:30.123456"),
         QDateTime(QDate(2024, 3, 15), QTime(10, 20, 30, 123))},
        {"TextWithoutSeconds", QVariant("2024-03-15 10:20"), QDateTime(QDate(2024, 3, 15), QTime(10, 20))},
        {"TextDateOnly", QVariant("2024-03-15"), QDateTime(QDate(2024, 3, 15), QTime(0, 0))},
        {"TextNoSuchDay", QVariant("2024-02-30"), QDateTime()},
        {"TextNoSuchHour", QVariant("2024-03-15 25:00:00"), QDateTime()},
        {"TextNotADate", QVariant("hello"), QDateTime()},
        {"TextUsFormNotAccepted", QVariant("03/15/2024"), QDateTime()},
        {"EmptyText", QVariant(QString("")), QDateTime()},
        {"Null", QVariant(), QDateTime()},
        {"TypedNull", QVariant(QMetaType(QMetaType::QDateTime)), QDateTime()},
        {"Number", QVariant(45000), QDateTime()},
    };
}

class DbValueDate : public ::testing::TestWithParam<DateCase> {};

} // namespace

TEST_P(DbValueDate, IsDateAndDateOf) {
    const DateCase& row = GetParam();
    EXPECT_EQ(DbValue::isDate(row.value), row.expected.isValid());
    EXPECT_EQ(DbValue::dateOf(row.value), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, DbValueDate, ::testing::ValuesIn(dateCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DbValue, DateOfZonedValueIsItsLocalWallClock) {
    const QDateTime utc(QDate(2024, 3, 15), QTime(10, 0), Qt::UTC);
    EXPECT_EQ(DbValue::dateOf(QVariant(utc)), utc.toLocalTime());
    EXPECT_EQ(DbValue::dateOf(QVariant(utc)).timeSpec(), Qt::LocalTime);
}

TEST(DbValue, TextOf) {
    EXPECT_EQ(DbValue::textOf(QVariant()), "");
    EXPECT_EQ(DbValue::textOf(QVariant(QString(""))), "");
    EXPECT_EQ(DbValue::textOf(QVariant("abc")), "abc");
    EXPECT_EQ(DbValue::textOf(QVariant(42)), "42");
    EXPECT_EQ(DbValue::textOf(QVariant(qlonglong(-7))), "-7");
    EXPECT_EQ(DbValue::textOf(QVariant(0.1)), "0.1");
    EXPECT_EQ(DbValue::textOf(QVariant(1234.5)), "1234.5");
    EXPECT_EQ(DbValue::textOf(QVariant(true)), "True");
    EXPECT_EQ(DbValue::textOf(QVariant(march15)), "2024-03-15 10:20:30");
    EXPECT_EQ(DbValue::textOf(QVariant(QDate(2024, 3, 15))), "2024-03-15");
    EXPECT_EQ(DbValue::textOf(QVariant(QByteArray("bytes"))), "bytes");
}

TEST(DbValue, ForBindingTurnsDatesIntoWallClockText) {
    EXPECT_EQ(DbValue::forBinding(QVariant(march15)), QVariant(QString("2024-03-15 10:20:30")));
    EXPECT_EQ(DbValue::forBinding(QVariant(QDate(2024, 3, 15))), QVariant(QString("2024-03-15")));
    EXPECT_FALSE(DbValue::forBinding(QVariant(QMetaType(QMetaType::Int))).isValid());
    EXPECT_EQ(DbValue::forBinding(QVariant(5)), QVariant(5));
    EXPECT_EQ(DbValue::forBinding(QVariant(QByteArray("\0x", 2))), QVariant(QByteArray("\0x", 2)));
}

TEST(DbValue, Literals) {
    EXPECT_EQ(DbValue::quoteText("O'Brien"), "'O''Brien'");
    EXPECT_EQ(DbValue::quoteText("''"), "''''''");
    EXPECT_EQ(DbValue::quoteText(""), "''");
    EXPECT_EQ(DbValue::quoteText("a\\b"), "'a\\b'");
    EXPECT_EQ(DbValue::quoteDateTime(march15), "'2024-03-15 10:20:30'");
    EXPECT_EQ(DbValue::doubleLiteral(1234.5), "1234.5");
    EXPECT_EQ(DbValue::doubleLiteral(-0.25), "-0.25");
    EXPECT_EQ(DbValue::doubleLiteral(1e20), "1e+20");
    EXPECT_EQ(DbValue::doubleLiteral(std::nan("")), "'NaN'");
    EXPECT_EQ(DbValue::doubleLiteral(-INFINITY), "'-Infinity'");
}
