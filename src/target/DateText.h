// Dates as the plant-database bookkeeping shows and reads them: the zero date
// that stands for "no date", the general date text of log lines and viewer
// fields (US English, month first, 12-hour clock) and the reading of dates
// kept as text in facility settings.
#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

namespace limsbridge::DateText {

//! 30 December 1899, 00:00: the date of an empty date value.
QDateTime ZeroDate();

//! The general date form "M/d/yyyy h:mm:ss AP"; the time is left out at
//! midnight and the date is left out for a time on the zero date.
QString General(const QDateTime& value);

//! "MM/dd/yyyy HH:mm:ss", the form of dates in activity lines.
QString Activity(const QDateTime& value);

//! A date held by a database value: a date-time, or text in ISO form or in the
//! US forms "M/d/yyyy", "M/d/yyyy H:mm[:ss]" and "M/d/yyyy h:mm[:ss] AP".
//! Invalid when the value is null or no date.
QDateTime Read(const QVariant& value);

} // namespace limsbridge::DateText
