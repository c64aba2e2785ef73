// When the next scheduled import is due, for each schedule, at start and after a run.
#include "core/Clock.h"
#include "core/CoreKeys.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "platform/RaisedError.h"
#include "service/ServiceSchedule.h"

#include <gtest/gtest.h>

using namespace limsbridge;

namespace {

QDateTime at(int day, int hour, int minute, int second = 0) {
    return QDateTime(QDate(2024, 5, day), QTime(hour, minute, second));
}

struct ScheduleRow {
    const char* name;
    const char* hourly;
    const char* hourlyMinute;
    const char* minutely;
    const char* minutelyMinute;
    const char* dailyHour;
    const char* dailyMinute;
    QDateTime now;
    bool initial;
    QDateTime next;
};

const ScheduleRow kRows[] = {
    {"daily 00:01 at start, already passed", "NO", "1", "NO", "10", "0", "1", at(15, 10, 0), true,
     at(15, 0, 1)},
    {"daily 00:01 after a run", "NO", "1", "NO", "10", "0", "1", at(15, 10, 0), false, at(16, 0, 1)},
    {"daily 23:59 at start, still ahead", "NO", "1", "NO", "10", "23", "59", at(15, 10, 0), true,
     at(15, 23, 59)},
    {"daily at the end of the month", "NO", "1", "NO", "10", "6", "30", at(31, 6, 30), false,
     QDateTime(QDate(2024, 6, 1), QTime(6, 30))},
    {"daily with a fractional minute", "NO", "1", "NO", "10", "1", "0.5", at(15, 0, 0), true,
     at(15, 1, 0, 30)},
    {"hourly 15 started at 10:20", "YES", "15", "NO", "10", "0", "1", at(15, 10, 20), true, at(15, 10, 15)},
    {"hourly 15 after a run at 10:20", "YES", "15", "NO", "10", "0", "1", at(15, 10, 20), false,
     at(15, 11, 15)},
    {"hourly 15 started at 10:05", "YES", "15", "NO", "10", "0", "1", at(15, 10, 5), true, at(15, 10, 15)},
    {"hourly 15 after a run at 10:15", "YES", "15", "NO", "10", "0", "1", at(15, 10, 15), false,
     at(15, 11, 15)},
    {"hourly after a run at 23:15", "YES", "15", "NO", "10", "0", "1", at(15, 23, 15), false, at(16, 0, 15)},
    {"hourly minute past the hour", "YES", "75", "NO", "10", "0", "1", at(15, 10, 5), true, at(15, 11, 15)},
    {"minutely at start", "NO", "1", "YES", "10", "0", "1", at(15, 10, 0, 30), true, at(15, 10, 0, 30)},
    {"minutely after a run", "NO", "1", "YES", "10", "0", "1", at(15, 10, 0, 30), false, at(15, 10, 10, 30)},
    {"minutely across midnight", "NO", "1", "YES", "10", "0", "1", at(15, 23, 55), false, at(16, 0, 5)},
    {"hourly wins over minutely", "YES", "15", "YES", "10", "0", "1", at(15, 10, 20), false, at(15, 11, 15)},
};

class ServiceScheduleTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterCoreKeys(m_config, at(15, 0, 0));
        Config = &m_config;
    }
    void TearDown() override { Config = nullptr; }

    void set(const char* key, const char* value) {
        m_config.setItem(QStringLiteral("OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\") + key, value);
    }

    QORConfiguration m_config;
};

} // namespace

TEST_F(ServiceScheduleTest, NextRunForEachSchedule) {
    for (const ScheduleRow& row : kRows) {
        SCOPED_TRACE(row.name);
        set("HOURLY", row.hourly);
        set("HOURLY_MINUTE", row.hourlyMinute);
        set("MINUTELY", row.minutely);
        set("MINUTELY_MINUTE", row.minutelyMinute);
        set("DAILY_HOUR", row.dailyHour);
        set("DAILY_MINUTE", row.dailyMinute);
        EXPECT_EQ(NextScheduledRun(row.now, row.initial).toString(Qt::ISODate).toStdString(),
                  row.next.toString(Qt::ISODate).toStdString());
    }
}

TEST_F(ServiceScheduleTest, TheDailySwitchIsNotConsulted) {
    set("DAILY", "NO");
    set("HOURLY", "NO");
    set("MINUTELY", "NO");
    EXPECT_EQ(NextScheduledRun(at(15, 10, 0), false), at(16, 0, 1));
    // Only the exact upper-case word switches a schedule on.
    set("HOURLY", "yes");
    set("MINUTELY", "Yes");
    EXPECT_EQ(NextScheduledRun(at(15, 10, 0), false), at(16, 0, 1));
}

TEST_F(ServiceScheduleTest, AMinuteThatIsNoNumberRaisesTypeMismatch) {
    set("HOURLY", "YES");
    set("HOURLY_MINUTE", "quarter past");
    try {
        NextScheduledRun(at(15, 10, 0), false);
        ADD_FAILURE() << "no error";
    } catch (const RaisedError& error) {
        EXPECT_EQ(error.number(), 13);
        EXPECT_EQ(error.description(), "Type mismatch");
    }
    set("HOURLY", "NO");
    set("DAILY_HOUR", "");
    EXPECT_THROW(NextScheduledRun(at(15, 10, 0), true), RaisedError);
}
