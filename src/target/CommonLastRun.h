// The run dates of every facility for one import: where each facility's range
// starts (its stored last-run date in service mode, else the default start,
// never before its lock date), where it ends, and whether its lock date rules
// it out. After a facility it stores the new last-run row and, when
// configured, queues a recalculation request for the imported range.
#pragma once

#include "core/HashTable.h"

#include <QDateTime>
#include <QString>

namespace limsbridge {

class DbConnection;

class CommonLastRun {
public:
    CommonLastRun();

    //! Writes the collector's last-run row for the facility with the audit and
    //! host columns, then queues a recalculation request when configured.
    bool PersistLastRunDate(qint32 collectorId, const QString& facility, const QDateTime& lastRun);
    //! Loads the collector's stored last-run dates (service mode only).
    bool ReadZuriVARU(qint32 collectorId, DbConnection& rootConnection);
    //! Reads the lock date of each facility of a "~"-separated list of file names.
    bool ReadZuriVARUFacilLockDates(const QString& RequestedFacilityTilda);

    //! The facility's range start: its last run or the default start, moved up to its lock date.
    QDateTime StartDate(const QString& facility);
    //! The range end, the same for every facility.
    QDateTime enddate(const QString& facility) const;
    //! The facility's lock date; the zero date for a facility whose lock date was not read.
    QDateTime LockDate(const QString& facility) const;
    //! True when the facility's lock date is later than the range end.
    bool ViolatesLockDate(const QString& facility) const;

    void setDefaultStart(const QDateTime& value) { m_defaultStart = value; }
    void setDefaultEnd(const QDateTime& value) { m_defaultEnd = value; }

private:
    //! False when the facility's settings could not be read; lockDate is then undefined.
    bool ReadFacilityLockDate(const QString& facility, QDateTime& lockDate);
    void SubmitCalcRequest(DbConnection& rootConnection, const QString& facility, const QDateTime& end);

    QDateTime m_defaultStart;
    QDateTime m_defaultEnd;
    // Dates are kept as date-times rather than text, so a stored value comes
    // back exactly, seconds and all, whatever the display form of dates is.
    HashTable<QDateTime> m_lastRuns;
    HashTable<QDateTime> m_lockDates;
};

} // namespace limsbridge
