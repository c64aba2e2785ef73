// The program's notion of "now". Everything that depends on the current time
// (log file names, midnight roll-over, retention, schedules, date shortcuts)
// reads it here, so that tests can set the time instead of waiting for it.
#pragma once

#include <QDateTime>
#include <functional>

namespace limsbridge::Clock {

//! The current local date and time (the test clock when one is set).
QDateTime now();

//! Replaces the clock; an empty function restores the system clock.
void setSource(std::function<QDateTime()> source);

//! Sets a test clock that always answers the given time until changed.
void setFixed(const QDateTime& fixed);

} // namespace limsbridge::Clock
