// Decodes the one-character type code of a plant variable (vardesc.vartype):
// which kind of variable it is (parameter, calculated, text parameter), how
// often it stores a value, which data table holds its values, how many slots a
// day has and where the slot of a time stamp starts.
#pragma once

#include <QDateTime>
#include <QString>

namespace limsbridge::VarTypeFunctions {

// A code belongs to a class when it occurs in the class string. An empty code
// therefore belongs to every class, and each routine below then answers with
// the first class it tries.
bool IsFrequencyDay(const QString& code);
bool IsFrequency4Hours(const QString& code);
bool IsFrequencyHour(const QString& code);
bool IsFrequency30Minutes(const QString& code);
bool IsFrequency15Minutes(const QString& code);
bool IsFrequency5Minutes(const QString& code);
bool IsFrequencyMinute(const QString& code);
bool IsFrequencySecond(const QString& code);

bool IsTypeParameter(const QString& code);
bool IsTypeCalculated(const QString& code);
bool IsTypeTextParameter(const QString& code);

//! "Parameter", "Text Parameter" or "Calculated"; an unknown code is a "Parameter".
QString TypeName(const QString& code);
//! "Day", "4 Hours", ..., "Second"; an unknown code is a daily variable.
QString FrequencyName(const QString& code);
//! The facility table that holds the values, "DATATBL" for daily and unknown codes.
QString DataTableName(const QString& code);
//! Slots per day: 1 for daily and unknown codes, up to 86400 for one-second slots.
qint32 IntervalsPerDay(const QString& code);
//! The start of the slot that t falls into; midnight of t's day for daily and unknown codes.
QDateTime SlotStart(const QDateTime& t, const QString& code);

} // namespace limsbridge::VarTypeFunctions
