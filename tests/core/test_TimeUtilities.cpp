// The daylight calendar rules, offsets from UTC and local-to-UTC conversion,
// with the computer's zone and clock replaced by the test's.
#include "core/Clock.h"
#include "core/TimeUtilities.h"
#include "platform/RaisedError.h"
#include "platform/SystemTimeZone.h"

#include <gtest/gtest.h>

#include <QTimeZone>

#include <cstdlib>
#include <ctime>

using namespace limsbridge;

namespace {

QDateTime at(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), "yyyy-MM-dd HH:mm:ss");
}

// The process itself runs on UTC so that no wall-clock value of the tables
// below falls into a gap of the zone the tests happen to be started in.
const bool processOnUtc = [] {
    setenv("TZ", "UTC", 1);
    tzset();
    return true;
}();

class TimeUtilities : public ::testing::Test {
protected:
    void TearDown() override
    {
        SystemTimeZone::setZone(QTimeZone());
        Clock::setSource({});
    }
    void useZone(const char* ianaId, const char* now)
    {
        const QTimeZone zone(ianaId);
        ASSERT_TRUE(zone.isValid()) << ianaId;
        SystemTimeZone::setZone(zone);
        Clock::setFixed(at(now));
    }
};

struct RuleCase {
    const char* name;
    const char* moment;
    bool daylight;
};

void PrintTo(const RuleCase& rule, std::ostream* out) { *out << rule.name; }

} // namespace

class UsDaylightRule : public ::testing::TestWithParam<RuleCase> {};

TEST_P(UsDaylightRule, DecidesByTheCalendar)
{
    const RuleCase& rule = GetParam();
    const QDateTime moment = at(rule.moment);
    ASSERT_TRUE(moment.isValid());
    EXPECT_EQ(IsUsDaylightTime(moment), rule.daylight) << rule.moment;
}

INSTANTIATE_TEST_SUITE_P(
    Years, UsDaylightRule,
    ::testing::Values(RuleCase{"Start2019", "2019-03-10 02:00:00", true},
                      RuleCase{"BeforeStart2019", "2019-03-10 01:59:59", false},
                      RuleCase{"Summer2019", "2019-07-04 12:00:00", true},
                      RuleCase{"BeforeEnd2019", "2019-11-03 01:59:59", true},
                      RuleCase{"End2019", "2019-11-03 02:00:00", false},
                      RuleCase{"Start2024", "2024-03-10 02:00:00", true},
                      RuleCase{"SaturdayBefore2024", "2024-03-09 23:00:00", false},
                      RuleCase{"End2024", "2024-11-03 02:00:00", false},
                      RuleCase{"BeforeEnd2024", "2024-11-03 01:00:00", true},
                      // 8 March is itself the second Sunday.
                      RuleCase{"Start2020OnTheEighth", "2020-03-08 02:00:00", true},
                      RuleCase{"Start2015OnTheEighth", "2015-03-08 01:59:59", false},
                      RuleCase{"End2015OnTheFirst", "2015-11-01 02:00:00", false},
                      RuleCase{"Start2007", "2007-03-11 02:00:00", true},
                      // Before 2007: first Sunday of April to last Sunday of October.
                      RuleCase{"Start2006", "2006-04-02 02:00:00", true},
                      RuleCase{"BeforeStart2006", "2006-04-02 01:59:59", false},
                      RuleCase{"March2006", "2006-03-20 12:00:00", false},
                      RuleCase{"BeforeEnd2006", "2006-10-29 01:59:59", true},
                      RuleCase{"End2006", "2006-10-29 02:00:00", false},
                      RuleCase{"NovemberFirst2006", "2006-11-01 00:00:00", false},
                      RuleCase{"End2000OnTheLastDay", "2000-10-29 02:00:00", false},
                      RuleCase{"Start2001OnTheFirst", "2001-04-01 02:00:00", true},
                      RuleCase{"End2001", "2001-10-28 01:00:00", true},
                      RuleCase{"NewYear", "2019-01-01 00:00:00", false},
                      RuleCase{"NewYearsEve", "2019-12-31 23:59:59", false}),
    [](const auto& info) { return std::string(info.param.name); });

class AusDaylightRule : public ::testing::TestWithParam<RuleCase> {};

TEST_P(AusDaylightRule, DecidesByTheCalendar)
{
    const RuleCase& rule = GetParam();
    const QDateTime moment = at(rule.moment);
    ASSERT_TRUE(moment.isValid());
    EXPECT_EQ(IsAusDaylightTime(moment), rule.daylight) << rule.moment;
}

INSTANTIATE_TEST_SUITE_P(
    Years, AusDaylightRule,
    ::testing::Values(RuleCase{"NewYear", "2021-01-01 00:00:00", true},
                      RuleCase{"MidMay", "2021-05-15 12:00:00", false},
                      RuleCase{"Start2020", "2020-10-04 00:00:00", true},
                      RuleCase{"BeforeStart2020", "2020-10-03 23:59:59", false},
                      RuleCase{"End2021Inclusive", "2021-04-04 00:00:00", true},
                      RuleCase{"AfterEnd2021", "2021-04-04 00:00:01", false},
                      RuleCase{"December2020", "2020-12-25 12:00:00", true},
                      RuleCase{"Start2023", "2023-10-01 00:00:00", true},
                      RuleCase{"September2023", "2023-09-30 23:59:59", false},
                      RuleCase{"End2024", "2024-04-07 00:00:00", true},
                      RuleCase{"AfterEnd2024", "2024-04-07 00:00:01", false},
                      RuleCase{"Start2018", "2018-10-07 00:00:00", true},
                      RuleCase{"End2019", "2019-04-07 00:00:00", true},
                      RuleCase{"AfterEnd2019", "2019-04-07 06:00:00", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TimeUtilities, InvalidDatesRaiseTypeMismatch)
{
    try {
        IsUsDaylightTime(QDateTime());
        ADD_FAILURE() << "an invalid date was accepted";
    } catch (const RaisedError& error) {
        EXPECT_EQ(error.number(), 13);
    }
    EXPECT_THROW(IsAusDaylightTime(QDateTime()), RaisedError);
    EXPECT_THROW(LocalToUtc(QDateTime()), RaisedError);
}

struct OffsetCase {
    const char* name;
    const char* zone;
    const char* now;
    const char* moment; // nullptr: the offset now
    qint32 offset;
};

void PrintTo(const OffsetCase& offset, std::ostream* out) { *out << offset.name; }

class UtcOffset : public TimeUtilities, public ::testing::WithParamInterface<OffsetCase> {};

TEST_P(UtcOffset, FollowsTheZonesRule)
{
    const OffsetCase& row = GetParam();
    useZone(row.zone, row.now);
    if (row.moment)
        EXPECT_EQ(UtcOffsetSeconds(at(row.moment)), row.offset);
    else
        EXPECT_EQ(UtcOffsetSeconds(), row.offset);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, UtcOffset,
    ::testing::Values(
        OffsetCase{"NewYorkNowWinter", "America/New_York", "2019-01-15 12:00:00", nullptr, -5 * 3600},
        OffsetCase{"NewYorkNowSummer", "America/New_York", "2019-07-15 12:00:00", nullptr, -4 * 3600},
        OffsetCase{"NewYorkSummerAskedInWinter", "America/New_York", "2019-01-15 12:00:00", "2019-07-04 12:00:00",
                   -4 * 3600},
        OffsetCase{"NewYorkWinterAskedInSummer", "America/New_York", "2019-07-15 12:00:00", "2019-12-04 12:00:00",
                   -5 * 3600},
        OffsetCase{"NewYork2006RuleOnTheOldDate", "America/New_York", "2019-07-15 12:00:00", "2006-03-20 12:00:00",
                   -5 * 3600},
        OffsetCase{"SydneyNowJanuary", "Australia/Sydney", "2021-01-15 12:00:00", nullptr, 11 * 3600},
        OffsetCase{"SydneyNowMay", "Australia/Sydney", "2021-05-15 12:00:00", nullptr, 10 * 3600},
        OffsetCase{"SydneyAustralianRuleJanuary", "Australia/Sydney", "2021-05-15 12:00:00", "2021-01-01 00:00:00",
                   11 * 3600},
        OffsetCase{"SydneyAustralianRuleMay", "Australia/Sydney", "2021-01-15 12:00:00", "2021-05-15 00:00:00",
                   10 * 3600},
        OffsetCase{"AdelaideHalfHour", "Australia/Adelaide", "2021-05-15 12:00:00", "2020-12-01 00:00:00",
                   10 * 3600 + 1800},
        OffsetCase{"AdelaideStandard", "Australia/Adelaide", "2021-05-15 12:00:00", "2021-06-01 00:00:00",
                   9 * 3600 + 1800},
        // Zones without daylight time keep their offset in summer, asked now or for a date.
        OffsetCase{"TokyoNowSummer", "Asia/Tokyo", "2019-07-15 12:00:00", nullptr, 9 * 3600},
        OffsetCase{"TokyoDateInUsSummer", "Asia/Tokyo", "2019-07-15 12:00:00", "2019-07-04 12:00:00", 9 * 3600},
        OffsetCase{"BrisbaneJanuary", "Australia/Brisbane", "2021-01-15 12:00:00", "2021-01-01 00:00:00", 10 * 3600},
        // Every other zone follows the North American rule for a given date: the
        // weeks between the American and the European change count as summer.
        OffsetCase{"BerlinNowWinter", "Europe/Berlin", "2019-01-15 12:00:00", nullptr, 3600},
        OffsetCase{"BerlinUsRuleInMarch", "Europe/Berlin", "2019-01-15 12:00:00", "2019-03-20 12:00:00", 7200},
        OffsetCase{"UtcSummer", "UTC", "2019-07-15 12:00:00", "2019-07-04 12:00:00", 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct ConversionCase {
    const char* name;
    const char* local;
    const char* utc;
};

void PrintTo(const ConversionCase& conversion, std::ostream* out) { *out << conversion.name; }

class LocalToUtcAroundTheChange : public TimeUtilities, public ::testing::WithParamInterface<ConversionCase> {};

// In New York the hour from 02:00 on 10 March 2019 does not exist and the hour
// from 01:00 on 3 November 2019 happens twice. The calendar rule counts the
// missing hour as daylight time and the repeated hour as daylight time too
// (its first occurrence), so the conversion jumps at 02:00 each time.
TEST_P(LocalToUtcAroundTheChange, ShiftsByTheRulesOffset)
{
    useZone("America/New_York", "2019-06-01 12:00:00");
    const ConversionCase& row = GetParam();
    EXPECT_EQ(LocalToUtc(at(row.local)), at(row.utc)) << row.local;
}

INSTANTIATE_TEST_SUITE_P(
    NewYork2019, LocalToUtcAroundTheChange,
    ::testing::Values(ConversionCase{"BeforeTheGap", "2019-03-10 01:59:59", "2019-03-10 06:59:59"},
                      ConversionCase{"GapStart", "2019-03-10 02:00:00", "2019-03-10 06:00:00"},
                      ConversionCase{"InTheGap", "2019-03-10 02:30:00", "2019-03-10 06:30:00"},
                      ConversionCase{"AfterTheGap", "2019-03-10 03:00:00", "2019-03-10 07:00:00"},
                      ConversionCase{"RepeatedHour", "2019-11-03 01:30:00", "2019-11-03 05:30:00"},
                      ConversionCase{"EndOfRepeatedHour", "2019-11-03 01:59:59", "2019-11-03 05:59:59"},
                      ConversionCase{"AfterTheRepeat", "2019-11-03 02:00:00", "2019-11-03 07:00:00"},
                      ConversionCase{"AcrossMidnight", "2019-12-31 22:30:00", "2020-01-01 03:30:00"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TimeUtilities, LocalToUtcWithoutArgumentConvertsTheClock)
{
    useZone("Australia/Sydney", "2021-01-15 09:15:00");
    EXPECT_EQ(LocalToUtc(), at("2021-01-14 22:15:00"));
    Clock::setFixed(at("2021-06-15 09:15:00"));
    EXPECT_EQ(LocalToUtc(), at("2021-06-14 23:15:00"));
}

TEST_F(TimeUtilities, ServerNowIsTheClockPlusTheOffset)
{
    Clock::setFixed(at("2024-03-05 23:59:30"));
    const qint32 saved = ServerOffsetSeconds;
    ServerOffsetSeconds = 0;
    EXPECT_EQ(ServerNow(), at("2024-03-05 23:59:30"));
    ServerOffsetSeconds = 45;
    EXPECT_EQ(ServerNow(), at("2024-03-06 00:00:15"));
    ServerOffsetSeconds = -3600;
    EXPECT_EQ(ServerNow(), at("2024-03-05 22:59:30"));
    ServerOffsetSeconds = saved;
}

TEST_F(TimeUtilities, SyncWithoutConnectionFailsAndKeepsTheLocalClock)
{
    Clock::setFixed(at("2024-03-05 10:00:00"));
    setTimeServerConnection(nullptr);
    ServerOffsetSeconds = 0;
    ServerRoundTripSeconds = 0;
    EXPECT_FALSE(SyncServerTime());
    EXPECT_EQ(ServerOffsetSeconds, 0);
    EXPECT_EQ(ServerRoundTripSeconds, 0);
    EXPECT_EQ(ServerNow(), at("2024-03-05 10:00:00"));
}

TEST(CutAtNul, KeepsTheTextBeforeTheFirstNul)
{
    EXPECT_EQ(CutAtNul(QString("AUS Eastern Standard Time")), "AUS Eastern Standard Time");
    EXPECT_EQ(CutAtNul(QString::fromUtf16(u"AUS Eastern Standard Time\0\0junk", 32)), "AUS Eastern Standard Time");
    EXPECT_EQ(CutAtNul(QString::fromUtf16(u"\0abc", 4)), "");
    EXPECT_EQ(CutAtNul(QString()), "");
}
