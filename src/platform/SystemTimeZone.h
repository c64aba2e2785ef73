// The computer's time zone as the program's offset rules see it: the standard
// bias, the daylight bias, the zone's Windows name and whether daylight time
// is in effect at a given wall-clock moment. It reads Qt's time-zone data, so
// callers never touch QTimeZone; tests put another zone in place of the
// system's.
#pragma once

#include <QDateTime>
#include <QString>
#include <QTimeZone>

namespace limsbridge {

struct TimeZoneInformation {
    //! Minutes west of UTC in standard time (UTC = local + Bias).
    qint32 Bias = 0;
    //! Minutes added to Bias in daylight time: -60 for a one-hour shift, 0 without daylight time.
    qint32 DaylightBias = 0;
    //! The zone's Windows name, e.g. "Eastern Standard Time" (the IANA id when it has none).
    QString StandardName;
    //! The zone changes between standard and daylight time around the moment asked about.
    bool HasDaylightDate = false;
    //! Daylight time is in effect at the moment asked about.
    bool DaylightInEffect = false;
};

namespace SystemTimeZone {

//! The zone's answer at a wall-clock moment of the computer's zone (the
//! date and time of the argument are read as wall-clock values of that zone).
TimeZoneInformation information(const QDateTime& localMoment);

//! The zone in use: the system's, unless a test set another one.
QTimeZone zone();

//! Puts a zone in place of the system's; an invalid zone restores the system's.
void setZone(const QTimeZone& zone);

} // namespace SystemTimeZone
} // namespace limsbridge
