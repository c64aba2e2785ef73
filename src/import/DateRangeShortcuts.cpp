#include "DateRangeShortcuts.h"

namespace limsbridge {

namespace {

// The ranges are built from date and time fields only, so a daylight-saving
// change of the process's own zone never moves a boundary off midnight.
QDateTime dayOf(const QDate& date) {
    return QDateTime(date, QTime(0, 0));
}

QDateTime toTheMinute(const QDateTime& base) {
    return QDateTime(base.date(), QTime(base.time().hour(), base.time().minute()));
}

QDate firstOfQuarter(const QDate& date) {
    return QDate(date.year(), 3 * ((date.month() - 1) / 3) + 1, 1);
}

const DateRangeShortcut* findShortcut(const QString& name) {
    QString wanted = name.toUpper();
    // The list keeps its historical spelling; the correct one is accepted too.
    if (wanted == QLatin1String("LAST QUARTER"))
        wanted = QStringLiteral("LAST QUATER");
    else if (wanted == QLatin1String("QUARTER TO DATE"))
        wanted = QStringLiteral("QUATER TO DATE");
    for (const DateRangeShortcut& shortcut : kDateRangeShortcuts)
        if (wanted == QLatin1String(shortcut.name))
            return &shortcut;
    return nullptr;
}

} // namespace

std::optional<DateRange> DateRangeForShortcut(const QString& name, const QDateTime& base) {
    const DateRangeShortcut* shortcut = findShortcut(name);
    if (!shortcut || !base.isValid())
        return std::nullopt;
    const QDate day = base.date();
    const QDate firstOfMonth(day.year(), day.month(), 1);
    switch (shortcut->rule) {
    case DateRangeRule::LastHour: {
        const QDateTime hour(day, QTime(base.time().hour(), 0));
        const QDateTime before = QDateTime(day, hour.time(), Qt::UTC).addSecs(-3600);
        return DateRange{QDateTime(before.date(), before.time()), hour};
    }
    case DateRangeRule::Today:
        return DateRange{dayOf(day), toTheMinute(base)};
    case DateRangeRule::Yesterday:
        return DateRange{dayOf(day.addDays(-1)), dayOf(day)};
    case DateRangeRule::YesterdayAndToday:
        return DateRange{dayOf(day.addDays(-1)), toTheMinute(base)};
    case DateRangeRule::LastMonth:
        return DateRange{dayOf(firstOfMonth.addMonths(-1)), dayOf(firstOfMonth)};
    case DateRangeRule::MonthToDate:
        return DateRange{dayOf(firstOfMonth), dayOf(day)};
    case DateRangeRule::LastQuarter: {
        // The quarter of B three months back; it ends where B's quarter begins.
        const QDate previous = firstOfQuarter(firstOfMonth.addMonths(-3));
        return DateRange{dayOf(previous), dayOf(previous.addMonths(3))};
    }
    case DateRangeRule::QuarterToDate:
        return DateRange{dayOf(firstOfQuarter(day)), dayOf(day)};
    case DateRangeRule::LastYear:
        return DateRange{dayOf(QDate(day.year() - 1, 1, 1)), dayOf(QDate(day.year(), 1, 1))};
    case DateRangeRule::YearToDate:
        return DateRange{dayOf(QDate(day.year(), 1, 1)), dayOf(day)};
    case DateRangeRule::DaysBack:
        return DateRange{dayOf(day.addDays(-shortcut->days - shortcut->daysAgo)),
                         dayOf(day.addDays(-shortcut->daysAgo))};
    case DateRangeRule::All:
        return DateRange{dayOf(QDate(1970, 1, 1)), toTheMinute(base)};
    }
    return std::nullopt;
}

} // namespace limsbridge
