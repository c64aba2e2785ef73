// Rounds a number to a number of decimal digits, halves away from zero, the
// way values are rounded before they are written to the plant database.
#pragma once

#include <QtGlobal>

namespace limsbridge {

//! Rounds value to `digits` decimals (negative digits round to tens,
//! hundreds, ...). The value is taken as the decimal number of at most 15
//! significant digits that it displays as, so 1.005 rounds to 1.01 although
//! its binary value lies just below. Digit counts beyond +-28, which the
//! decimal factor cannot represent, and values whose scaled form exceeds the
//! decimal range return the value unchanged, as does any other failure.
double RoundToDigits(double value, qint16 digits);

namespace Internal {
//! How often the cached factor was rebuilt: a call with the digit count of
//! the previous call reuses it, any other count rebuilds it.
quint64 roundToDigitsCacheBuilds();
} // namespace Internal

} // namespace limsbridge
