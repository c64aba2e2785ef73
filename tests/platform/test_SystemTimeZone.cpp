// The computer's time zone as biases and daylight state, read from Qt's zone
// data for a zone put in place of the system's.
#include "platform/SystemTimeZone.h"

#include <gtest/gtest.h>

using namespace limsbridge;

namespace {

struct ZoneCase {
    const char* name;
    const char* ianaId;
    QDateTime moment;
    qint32 bias;
    qint32 daylightBias;
    bool hasDaylightDate;
    bool daylightInEffect;
    const char* standardName;
};

class SystemTimeZoneCases : public ::testing::TestWithParam<ZoneCase> {
protected:
    void TearDown() override { SystemTimeZone::setZone(QTimeZone()); }
};

} // namespace

TEST_P(SystemTimeZoneCases, AnswersBiasAndDaylightState) {
    const ZoneCase& c = GetParam();
    const QTimeZone zone(c.ianaId);
    ASSERT_TRUE(zone.isValid()) << c.ianaId;
    SystemTimeZone::setZone(zone);
    EXPECT_EQ(SystemTimeZone::zone().id(), QByteArray(c.ianaId));

    const TimeZoneInformation info = SystemTimeZone::information(c.moment);
    EXPECT_EQ(info.Bias, c.bias);
    EXPECT_EQ(info.DaylightBias, c.daylightBias);
    EXPECT_EQ(info.HasDaylightDate, c.hasDaylightDate);
    EXPECT_EQ(info.DaylightInEffect, c.daylightInEffect);
    EXPECT_EQ(info.StandardName, QString::fromLatin1(c.standardName));
}

INSTANTIATE_TEST_SUITE_P(
    Zones, SystemTimeZoneCases,
    ::testing::Values(
        ZoneCase{"NewYorkWinter", "America/New_York", QDateTime(QDate(2024, 1, 15), QTime(12, 0)), 300, -60,
                 true, false, "Eastern Standard Time"},
        ZoneCase{"NewYorkSummer", "America/New_York", QDateTime(QDate(2024, 7, 1), QTime(12, 0)), 300, -60,
                 true, true, "Eastern Standard Time"},
        // 10 March 2024 02:00 is the change: 01:59 is still standard time, 03:00 daylight time.
        ZoneCase{"NewYorkMinuteBeforeChange", "America/New_York", QDateTime(QDate(2024, 3, 10), QTime(1, 59)),
                 300, -60, true, false, "Eastern Standard Time"},
        ZoneCase{"NewYorkAfterChange", "America/New_York", QDateTime(QDate(2024, 3, 10), QTime(3, 0)), 300,
                 -60, true, true, "Eastern Standard Time"},
        ZoneCase{"BerlinSummer", "Europe/Berlin", QDateTime(QDate(2024, 7, 1), QTime(12, 0)), -60, -60, true,
                 true, "W. Europe Standard Time"},
        // Tokyo kept daylight time in the years after 1948 only: it has none now.
        ZoneCase{"TokyoNoDaylight", "Asia/Tokyo", QDateTime(QDate(2024, 7, 1), QTime(12, 0)), -540, 0, false,
                 false, "Tokyo Standard Time"},
        // A zone without a Windows name keeps its IANA id.
        ZoneCase{"KolkataNoDaylight", "Asia/Kolkata", QDateTime(QDate(2024, 7, 1), QTime(12, 0)), -330, 0,
                 false, false, "Asia/Kolkata"},
        ZoneCase{"UtcNoDaylight", "UTC", QDateTime(QDate(2024, 7, 1), QTime(12, 0)), 0, 0, false, false,
                 "UTC"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SystemTimeZone, AnInvalidZoneRestoresTheSystemZone) {
    SystemTimeZone::setZone(QTimeZone("Asia/Kolkata"));
    SystemTimeZone::setZone(QTimeZone());
    EXPECT_EQ(SystemTimeZone::zone(), QTimeZone::systemTimeZone());
}
