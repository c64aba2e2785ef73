// The number conversions the program applies to configuration and database
// text everywhere: "is numeric", conversion to a 16-bit integer with halves to
// even, and the leading-number reading of "Val". US English rules: "." is the
// decimal point and "," separates thousands.
#pragma once

#include <QString>
#include <QVariant>
#include <optional>

namespace limsbridge::Vb {

//! True when the text (blanks around it allowed) reads as a number.
bool IsNumeric(const QString& text);
bool IsNumeric(const QVariant& value);

//! The number a numeric text stands for; nullopt when it is not numeric.
std::optional<double> ToDouble(const QString& text);

//! Rounds halves to even and converts to a 16-bit integer; nullopt on overflow
//! or when the value is not numeric.
std::optional<qint16> CInt(double value);
std::optional<qint16> CInt(const QString& text);

//! Reads the longest leading number of the text (blanks skipped), 0 when none.
double Val(const QString& text);

} // namespace limsbridge::Vb
