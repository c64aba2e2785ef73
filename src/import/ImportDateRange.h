// The default date range of an import run: where it comes from depends on the
// run mode (service: the configured default last run up to now; interactive:
// a dialog, or two fixed dates when the dialog is switched off) and on whether
// the collector stores its dates in UTC. The range is handed to the
// gatherer's last-run object, which gives each facility its own start.
#pragma once

#include <QtGlobal>

namespace limsbridge {

class CommonLastRun;
class CommonVarGatherer;

//! The collector facts the UTC variant needs, as a gatherer carries them.
struct ImportDateRangeCollector {
    qint32 timeZoneId = 0;
    double collectorOffset = 0; //!< the collector's offset from UTC, minutes east
    double interfaceOffset = 0; //!< this computer's offset from UTC, minutes east
};

//! Sets the default start and end of the gatherer's last-run object. False
//! when the user cancelled the dialog: the import must not run. A date setting
//! that is not a date, or a "ZURIVARU\G2_INDIRECT_TYPE" that is not a
//! Boolean, raises error 13.
bool ChooseImportDateRange(CommonVarGatherer& gatherer);
//! The variant for collectors that store their dates in UTC.
bool ChooseImportDateRangeUtc(CommonVarGatherer& gatherer);

//! The same two routines over a last-run object and collector facts, so that
//! every kind of gatherer shares one set of steps.
bool ChooseImportDateRange(CommonLastRun& lastRun, const ImportDateRangeCollector& collector);
bool ChooseImportDateRangeUtc(CommonLastRun& lastRun, const ImportDateRangeCollector& collector);

} // namespace limsbridge
