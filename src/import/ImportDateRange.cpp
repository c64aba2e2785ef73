#include "ImportDateRange.h"

#include "DateRangeQuestion.h"

#include "core/ActivityLog.h"
#include "core/Clock.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "core/TimeUtilities.h"
#include "core/VbConvert.h"
#include "platform/RaisedError.h"
#include "target/CommonLastRun.h"
#include "target/CommonVarGatherer.h"
#include "target/DateText.h"

namespace limsbridge {

namespace {

const QString kIndirectType = QStringLiteral("ZURIVARU\\G2_INDIRECT_TYPE");
const QString kDefaultLastRun = QStringLiteral("OPTIONS\\AUTOMATED_IMPORT\\DEFAULT_LAST_RUN");
const QString kHideUi = QStringLiteral("OPTIONS\\NOIU\\ASKFORDATES\\HIDE_UI");
const QString kFixStart = QStringLiteral("OPTIONS\\NOIU\\ASKFORDATES\\FIX_STARTDATE");
const QString kFixEnd = QStringLiteral("OPTIONS\\NOIU\\ASKFORDATES\\FIX_ENDDATE");

[[noreturn]] void typeMismatch() {
    throw RaisedError(13, QStringLiteral("Type mismatch"));
}

QORConfiguration& config() {
    if (!Config)
        throw RaisedError(91, QStringLiteral("Object variable or With block variable not set"));
    return *Config;
}

// A date setting read the way the system reads dates: month first, with "/"
// or "-" between the parts (the stored defaults use "MM-dd-yyyy HH:mm:ss"),
// or ISO text.
QDateTime configDate(const QString& key) {
    const QString text = config().item(key).trimmed();
    QDateTime date = DateText::Read(text);
    if (!date.isValid())
        date = DateText::Read(QString(text).replace(QLatin1Char('-'), QLatin1Char('/')));
    if (!date.isValid())
        typeMismatch();
    return date;
}

// A Boolean setting: "TRUE" or "FALSE" in any case, or a number (not 0 = true).
bool configBoolean(const QString& key) {
    const QString text = config().item(key).trimmed();
    if (text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0)
        return false;
    if (const auto number = Vb::ToDouble(text))
        return *number != 0;
    typeMismatch();
}

bool dialogSwitchedOff() {
    return config().item(kHideUi) == QLatin1String("TRUE");
}

CommonLastRun& lastRunOf(CommonVarGatherer& gatherer) {
    if (!gatherer.LookupLastRun)
        throw RaisedError(91, QStringLiteral("Object variable or With block variable not set"));
    return *gatherer.LookupLastRun;
}

ImportDateRangeCollector collectorOf(const CommonVarGatherer& gatherer) {
    return {gatherer.CollectorTimeZoneID(), gatherer.CollectorTimeZoneOffset(),
            gatherer.InterfaceTimezoneOffset()};
}

// Minutes are moved on the wall clock, so that a daylight-saving change of the
// process's own zone between the two moments does not add or lose an hour.
QDateTime addWallClockMinutes(const QDateTime& t, double minutes) {
    const QDateTime shifted = QDateTime(t.date(), t.time(), Qt::UTC).addSecs(qRound64(minutes * 60.0));
    return QDateTime(shifted.date(), shifted.time());
}

bool takeDialogAnswer(CommonLastRun& lastRun, const DateRangeAnswer& answer) {
    if (answer.WasCancelled) {
        LogActivity(QStringLiteral("Import cancelled by user."), 0);
        return false;
    }
    lastRun.setDefaultStart(answer.start);
    lastRun.setDefaultEnd(answer.end);
    LogActivity("Date Range selected : from " + DateText::Activity(answer.start) + " to " +
                    DateText::Activity(answer.end),
                0);
    return true;
}

void takeFixedDates(CommonLastRun& lastRun) {
    const QDateTime start = configDate(kFixStart);
    const QDateTime end = configDate(kFixEnd);
    lastRun.setDefaultStart(start);
    lastRun.setDefaultEnd(end);
}

} // namespace

bool ChooseImportDateRange(CommonVarGatherer& gatherer) {
    return ChooseImportDateRange(lastRunOf(gatherer), collectorOf(gatherer));
}

bool ChooseImportDateRangeUtc(CommonVarGatherer& gatherer) {
    return ChooseImportDateRangeUtc(lastRunOf(gatherer), collectorOf(gatherer));
}

bool ChooseImportDateRange(CommonLastRun& lastRun, const ImportDateRangeCollector& collector) {
    if (configBoolean(kIndirectType))
        return ChooseImportDateRangeUtc(lastRun, collector);

    if (ServiceMode) {
        const QDateTime start = configDate(kDefaultLastRun);
        lastRun.setDefaultStart(start);
        lastRun.setDefaultEnd(Clock::now());
        return true;
    }
    if (dialogSwitchedOff()) {
        takeFixedDates(lastRun);
        return true;
    }
    LogActivity(QStringLiteral("Waiting for user to select import date range ..."), 0);
    return takeDialogAnswer(lastRun, dateRangeQuestion().AskDateRange());
}

bool ChooseImportDateRangeUtc(CommonLastRun& lastRun, const ImportDateRangeCollector& collector) {
    if (ServiceMode) {
        const QDateTime start = addWallClockMinutes(configDate(kDefaultLastRun), -collector.collectorOffset);
        const QDateTime server = ServerNow();
        const QDateTime wholeHour(server.date(), QTime(server.time().hour(), 0));
        const QDateTime end = addWallClockMinutes(wholeHour, -collector.interfaceOffset);
        lastRun.setDefaultStart(start);
        lastRun.setDefaultEnd(end);
        if (Logger)
            Logger->WriteLog("NT Service UTC Dates from: " + DateText::General(start) + " to " +
                                 DateText::General(end),
                             5);
        return true;
    }
    if (dialogSwitchedOff()) {
        takeFixedDates(lastRun);
        return true;
    }
    LogActivity(QStringLiteral("Waiting for user to select import date range ..."), 0);
    return takeDialogAnswer(lastRun, dateRangeQuestion().AskDateRangeUtc(collector.timeZoneId,
                                                                         collector.collectorOffset,
                                                                         collector.interfaceOffset));
}

} // namespace limsbridge
