// The one place where values read from or written to a database are converted:
// date-times kept as wall-clock times without zone (drivers hand them over as
// QDateTime, QDate or ISO text), the text of a value, and SQL literals.
#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

namespace limsbridge::DbValue {

//! True for a null value (a database NULL or an empty QVariant).
bool isNull(const QVariant& value);

//! True when the value is a date-time, a date, or text in one of the accepted
//! ISO forms: "yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss[.zzz]", "yyyy-MM-dd"
//! (fractions of a second of one to six digits are accepted after either form).
bool isDate(const QVariant& value);

//! The wall-clock date-time of the value (local time spec); invalid when isDate is false.
QDateTime dateOf(const QVariant& value);

//! The text of a value: empty for null, date-times as "yyyy-MM-dd HH:mm:ss",
//! dates as "yyyy-MM-dd", numbers in the C locale (shortest exact form),
//! booleans as "True"/"False", bytes as UTF-8.
QString textOf(const QVariant& value);

//! A date-time as the plain text "yyyy-MM-dd HH:mm:ss" that every driver stores
//! without shifting it to another zone.
QString dateTimeText(const QDateTime& value);

//! The value as it is bound to a statement: date-times and dates become the
//! plain texts above (a bound QDateTime would be shifted by some drivers), a
//! typed null becomes a plain null, anything else is kept.
QVariant forBinding(const QVariant& value);

//! Text as an SQL literal: '…' with each quote doubled.
QString quoteText(const QString& text);

//! A date-time as the literal '…' of dateTimeText.
QString quoteDateTime(const QDateTime& value);

//! A double in the C locale; NaN and infinities as the quoted words PostgreSQL reads.
QString doubleLiteral(double value);

} // namespace limsbridge::DbValue
