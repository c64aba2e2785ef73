// When the next scheduled import is due: hourly at a fixed minute, every N
// minutes, or daily at a fixed time, from the schedule settings held in the
// configuration at the moment of asking.
#pragma once

#include <QDateTime>

namespace limsbridge {

//! The next run counted from now. initial is true only when service mode
//! starts: the time may then lie in the past, so the first tick runs at once.
//! Hourly wins over every-N-minutes, and daily applies when neither is "YES".
//! Raises error 13 when an hour or minute setting is not a number.
QDateTime NextScheduledRun(const QDateTime& now, bool initial);

} // namespace limsbridge
