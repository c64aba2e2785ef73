// Conversions of database and configuration values to the numbers and flags
// the plant-database bookkeeping works with. They fail the way the program's
// readers expect a bad value to fail: a null raises error 94, text that is no
// number error 13, a number out of range error 6.
#pragma once

#include <QVariant>

namespace limsbridge::ValueConversions {

//! A 32-bit integer, halves rounded to even.
qint32 toLong(const QVariant& value);
double toDouble(const QVariant& value);
//! Any number other than 0 is true; the words "True" and "False" are accepted.
bool toBoolean(const QVariant& value);

} // namespace limsbridge::ValueConversions
