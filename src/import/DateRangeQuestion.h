// How an interactive import asks the user for its date range. The two dialogs
// live in the user interface, which installs its implementation here; without
// one (service mode, tests) a headless answer is given: the range the dialog
// would propose when it opens, confirmed unchanged.
#pragma once

#include <QDateTime>

namespace limsbridge {

//! What a date-range dialog hands back once it is closed.
struct DateRangeAnswer {
    bool WasCancelled = true;
    QDateTime start;
    QDateTime end;
};

class DateRangeQuestion {
public:
    virtual ~DateRangeQuestion() = default;

    //! The local-time dialog: shown modally, its two picker values read afterwards.
    virtual DateRangeAnswer AskDateRange() = 0;
    //! The UTC dialog, initialised with the collector's zone id, the
    //! collector's and this computer's offsets from UTC (minutes east); its
    //! range comes back in the collector's storage time (UTC).
    virtual DateRangeAnswer AskDateRangeUtc(qint32 collectorTimeZoneId, double collectorOffset,
                                            double interfaceOffset) = 0;
};

//! Confirms, without asking anyone, what the dialogs preselect: "YESTERDAY AND
//! TODAY" from the local clock, or for the UTC dialog from the server clock
//! expressed in the collector's zone, returned in UTC.
class HeadlessDateRangeQuestion : public DateRangeQuestion {
public:
    DateRangeAnswer AskDateRange() override;
    DateRangeAnswer AskDateRangeUtc(qint32 collectorTimeZoneId, double collectorOffset,
                                    double interfaceOffset) override;
};

//! Installs the dialogs of the user interface (not owned); null restores the headless answer.
void setDateRangeQuestion(DateRangeQuestion* question);
//! The installed dialogs, or the headless answer.
DateRangeQuestion& dateRangeQuestion();

} // namespace limsbridge
