// The named shortcuts both date-range dialogs offer ("LAST 7 DAYS", "MONTH TO
// DATE", ...): a fixed table in list order and the one routine that turns a
// shortcut and a base time into a start and an end. The dialogs only choose
// the base time (the local clock, or the server clock in a chosen zone).
#pragma once

#include <QDateTime>
#include <QString>

#include <array>
#include <optional>

namespace limsbridge {

//! How a shortcut derives its range from the base time B. "Day" is 00:00 of a
//! date, "to the minute" is B with its seconds cut off.
enum class DateRangeRule {
    LastHour,          //!< B's whole hour minus 1 hour .. B's whole hour
    Today,             //!< day of B .. B to the minute
    Yesterday,         //!< day of B - 1 .. day of B
    YesterdayAndToday, //!< day of B - 1 .. B to the minute
    LastMonth,         //!< first of the month before B's .. first of B's month
    MonthToDate,       //!< first of B's month .. day of B
    LastQuarter,       //!< first of the quarter before B's .. first of B's quarter
    QuarterToDate,     //!< first of B's quarter .. day of B
    LastYear,          //!< 1 January of the year before .. 1 January of B's year
    YearToDate,        //!< 1 January of B's year .. day of B
    DaysBack,          //!< day of B - days - daysAgo .. day of B - daysAgo
    All,               //!< 1 January 1970 .. B to the minute
};

struct DateRangeShortcut {
    const char* name;
    DateRangeRule rule;
    int days = 0;    //!< length of a DaysBack range
    int daysAgo = 0; //!< how far a DaysBack range ends before the day of B
};

//! The shortcuts in the order the dialogs list them.
inline constexpr std::array<DateRangeShortcut, 36> kDateRangeShortcuts = {{
    {"LAST HOUR", DateRangeRule::LastHour},
    {"TODAY", DateRangeRule::Today},
    {"YESTERDAY", DateRangeRule::Yesterday},
    {"YESTERDAY AND TODAY", DateRangeRule::YesterdayAndToday},
    {"LAST 7 DAYS", DateRangeRule::DaysBack, 7},
    {"LAST MONTH", DateRangeRule::LastMonth},
    {"MONTH TO DATE", DateRangeRule::MonthToDate},
    {"LAST QUATER", DateRangeRule::LastQuarter},
    {"QUATER TO DATE", DateRangeRule::QuarterToDate},
    {"LAST YEAR", DateRangeRule::LastYear},
    {"YEAR TO DATE", DateRangeRule::YearToDate},
    {"LAST 30 DAYS", DateRangeRule::DaysBack, 30},
    {"LAST 45 DAYS", DateRangeRule::DaysBack, 45},
    {"LAST 60 DAYS", DateRangeRule::DaysBack, 60},
    {"LAST 90 DAYS", DateRangeRule::DaysBack, 90},
    {"LAST 120 DAYS", DateRangeRule::DaysBack, 120},
    {"LAST 180 DAYS", DateRangeRule::DaysBack, 180},
    {"30 DAYS 3 DAYS AGO", DateRangeRule::DaysBack, 30, 3},
    {"30 DAYS 5 DAYS AGO", DateRangeRule::DaysBack, 30, 5},
    {"30 DAYS 7 DAYS AGO", DateRangeRule::DaysBack, 30, 7},
    {"45 DAYS 3 DAYS AGO", DateRangeRule::DaysBack, 45, 3},
    {"45 DAYS 5 DAYS AGO", DateRangeRule::DaysBack, 45, 5},
    {"45 DAYS 7 DAYS AGO", DateRangeRule::DaysBack, 45, 7},
    {"60 DAYS 3 DAYS AGO", DateRangeRule::DaysBack, 60, 3},
    {"60 DAYS 5 DAYS AGO", DateRangeRule::DaysBack, 60, 5},
    {"60 DAYS 7 DAYS AGO", DateRangeRule::DaysBack, 60, 7},
    {"90 DAYS 3 DAYS AGO", DateRangeRule::DaysBack, 90, 3},
    {"90 DAYS 5 DAYS AGO", DateRangeRule::DaysBack, 90, 5},
    {"90 DAYS 7 DAYS AGO", DateRangeRule::DaysBack, 90, 7},
    {"120 DAYS 3 DAYS AGO", DateRangeRule::DaysBack, 120, 3},
    {"120 DAYS 5 DAYS AGO", DateRangeRule::DaysBack, 120, 5},
    {"120 DAYS 7 DAYS AGO", DateRangeRule::DaysBack, 120, 7},
    {"180 DAYS 3 DAYS AGO", DateRangeRule::DaysBack, 180, 3},
    {"180 DAYS 5 DAYS AGO", DateRangeRule::DaysBack, 180, 5},
    {"180 DAYS 7 DAYS AGO", DateRangeRule::DaysBack, 180, 7},
    {"ALL", DateRangeRule::All},
}};

//! The list entry the dialogs select when they open ("YESTERDAY AND TODAY").
inline constexpr int kDefaultDateRangeShortcut = 3;

struct DateRange {
    QDateTime start;
    QDateTime end;
};

//! The range a shortcut gives at base time B. The name is matched after
//! upper-casing; "LAST QUARTER" and "QUARTER TO DATE" are accepted beside the
//! listed spellings. Nothing for a name that is not a shortcut.
std::optional<DateRange> DateRangeForShortcut(const QString& name, const QDateTime& base);

} // namespace limsbridge
