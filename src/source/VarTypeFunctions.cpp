#include "VarTypeFunctions.h"

#include <QTime>

#include <iterator>

namespace limsbridge::VarTypeFunctions {

namespace {

enum class Frequency {
    Day,
    FourHours,
    Hour,
    ThirtyMinutes,
    FifteenMinutes,
    FiveMinutes,
    Minute,
    Second,
    None
};

struct FrequencyInfo {
    Frequency frequency;
    const char* classString;
    const char* name;
    const char* dataTable;
    qint32 intervalsPerDay;
    int slotSeconds;
};

// One row per frequency; each class string is a row of the code matrix:
// parameter, calculated and text-parameter code of that frequency.
constexpr FrequencyInfo kFrequencies[] = {
    {Frequency::Day, "PCT", "Day", "DATATBL", 1, 86400},
    {Frequency::FourHours, "4GE", "4 Hours", "DATADD4", 6, 4 * 3600},
    {Frequency::Hour, "HNB", "Hour", "DATADDH", 24, 3600},
    {Frequency::ThirtyMinutes, "3WQ", "30 Minutes", "DATADD3", 48, 30 * 60},
    {Frequency::FifteenMinutes, "FVX", "15 Minutes", "DATADDF", 96, 15 * 60},
    {Frequency::FiveMinutes, "5YR", "5 Minutes", "DATADD5", 288, 5 * 60},
    {Frequency::Minute, "1SA", "Minute", "DATADD1", 1440, 60},
    {Frequency::Second, "908", "Second", "DATADDX", 86400, 1},
};

// info() looks rows up by the enumerator's value.
constexpr bool rowsInEnumOrder() {
    for (int i = 0; i < int(std::size(kFrequencies)); ++i) {
        if (static_cast<int>(kFrequencies[i].frequency) != i)
            return false;
    }
    return true;
}
static_assert(rowsInEnumOrder());

// The kind class strings are the matrix's columns read from top to bottom.
constexpr const char* kParameterClass = "P4H3F519";
constexpr const char* kCalculatedClass = "CGNWVYS0";
constexpr const char* kTextParameterClass = "TEBQXRA8";

// The orders in which the routines try the frequencies. They differ, which
// matters only for codes that fit several classes (the empty code fits all).
constexpr Frequency kNameOrder[] = {
    Frequency::Day,           Frequency::FourHours,      Frequency::Hour,
    Frequency::ThirtyMinutes, Frequency::FifteenMinutes, Frequency::FiveMinutes,
    Frequency::Minute,        Frequency::Second};
constexpr Frequency kTableOrder[] = {Frequency::Hour,        Frequency::FifteenMinutes, Frequency::Minute,
                                     Frequency::FiveMinutes, Frequency::ThirtyMinutes,  Frequency::FourHours,
                                     Frequency::Day,         Frequency::Second};
constexpr Frequency kSlotOrder[] = {
    Frequency::FourHours,      Frequency::Day,         Frequency::Hour,   Frequency::ThirtyMinutes,
    Frequency::FifteenMinutes, Frequency::FiveMinutes, Frequency::Minute, Frequency::Second};

const FrequencyInfo& info(Frequency frequency) {
    return kFrequencies[static_cast<int>(frequency)];
}

bool inClass(const QString& code, const char* classString) {
    return QString::fromLatin1(classString).contains(code);
}

bool isFrequency(const QString& code, Frequency frequency) {
    return inClass(code, info(frequency).classString);
}

template <std::size_t N> Frequency firstMatch(const QString& code, const Frequency (&order)[N]) {
    for (const Frequency frequency : order) {
        if (isFrequency(code, frequency))
            return frequency;
    }
    return Frequency::None;
}

} // namespace

bool IsFrequencyDay(const QString& code) {
    return isFrequency(code, Frequency::Day);
}
bool IsFrequency4Hours(const QString& code) {
    return isFrequency(code, Frequency::FourHours);
}
bool IsFrequencyHour(const QString& code) {
    return isFrequency(code, Frequency::Hour);
}
bool IsFrequency30Minutes(const QString& code) {
    return isFrequency(code, Frequency::ThirtyMinutes);
}
bool IsFrequency15Minutes(const QString& code) {
    return isFrequency(code, Frequency::FifteenMinutes);
}
bool IsFrequency5Minutes(const QString& code) {
    return isFrequency(code, Frequency::FiveMinutes);
}
bool IsFrequencyMinute(const QString& code) {
    return isFrequency(code, Frequency::Minute);
}
bool IsFrequencySecond(const QString& code) {
    return isFrequency(code, Frequency::Second);
}

bool IsTypeParameter(const QString& code) {
    return inClass(code, kParameterClass);
}
bool IsTypeCalculated(const QString& code) {
    return inClass(code, kCalculatedClass);
}
bool IsTypeTextParameter(const QString& code) {
    return inClass(code, kTextParameterClass);
}

QString TypeName(const QString& code) {
    if (IsTypeParameter(code))
        return QStringLiteral("Parameter");
    if (IsTypeTextParameter(code))
        return QStringLiteral("Text Parameter");
    if (IsTypeCalculated(code))
        return QStringLiteral("Calculated");
    return QStringLiteral("Parameter");
}

QString FrequencyName(const QString& code) {
    const Frequency frequency = firstMatch(code, kNameOrder);
    return QString::fromLatin1(info(frequency == Frequency::None ? Frequency::Day : frequency).name);
}

QString DataTableName(const QString& code) {
    const Frequency frequency = firstMatch(code, kTableOrder);
    return QString::fromLatin1(info(frequency == Frequency::None ? Frequency::Day : frequency).dataTable);
}

qint32 IntervalsPerDay(const QString& code) {
    const Frequency frequency = firstMatch(code, kTableOrder);
    return info(frequency == Frequency::None ? Frequency::Day : frequency).intervalsPerDay;
}

QDateTime SlotStart(const QDateTime& t, const QString& code) {
    if (!t.isValid())
        return t;
    Frequency frequency = firstMatch(code, kSlotOrder);
    if (frequency == Frequency::None)
        frequency = Frequency::Day;
    // Whole seconds of the day truncated to the slot length; computed on the
    // clock time rather than on day fractions, so no slot start can land a
    // rounding error before its boundary.
    const int slotSeconds = info(frequency).slotSeconds;
    const QTime time = t.time();
    const int secondOfDay = time.hour() * 3600 + time.minute() * 60 + time.second();
    const int start = secondOfDay / slotSeconds * slotSeconds;
    QDateTime result = t;
    result.setTime(QTime(start / 3600, start / 60 % 60, start % 60));
    return result;
}

} // namespace limsbridge::VarTypeFunctions
