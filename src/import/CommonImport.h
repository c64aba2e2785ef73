// One import run: for every facility of a prepared variable gatherer it works
// out the facility's date range, reads the laboratory results of that range,
// finds the plant variables each result belongs to and writes value, comment
// and additional-info fields through a facility writer, with bounded
// reconnection to the source and to the plant database, and closes with a
// statistics block. One object serves one StartImport call.
#pragma once

#include "core/HashTable.h"
#include "import/ImportStatistics.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

namespace limsbridge {

class CommonFacilityWriter;
class CommonTypeVar;
class CommonTypeVarRec;
class CommonUnitConvert;
class CommonVarGatherer;
class CustomSource;

//! When on, a value is not written for a day that already holds one. Set by
//! each CommonImport at construction from "OPTIONS\DONT_OVERWRITE_OXMO".
extern bool DontOverwrite;

class CommonImport {
public:
    //! Reads the overwrite protection switch.
    CommonImport();
    ~CommonImport();
    CommonImport(const CommonImport&) = delete;
    CommonImport& operator=(const CommonImport&) = delete;

    //! Runs the import over every facility of the gatherer, whose
    //! LookupLastRun must be filled. True when the run went through all
    //! facilities; false when the variables could not be read or a write
    //! failed for good. A result status that is no number raises RaisedError.
    bool StartImport(CommonVarGatherer& aVarGatgerer, bool TestMode);

    //! The run's counters (all 0 before StartImport).
    const ImportStatistics& statistics() const { return m_statistics; }

protected:
    // The steps of a run, reachable by a derived class so that the write
    // rules can be exercised on their own.

    //! Steps 1 to 4 of a run: matcher, audit user, unit converter, counters.
    //! False when the variables cannot be read.
    bool PrepareRun(CommonVarGatherer& aVarGatgerer, bool TestMode);
    //! A fresh facility writer for the facility.
    void OpenFacilityWriter(const QString& facility, const QDateTime& lockDate);
    void CloseFacilityWriter();

    bool ReadSourceWithRecovery(CustomSource& source);
    bool WriteResult(const QVariant& result, const QString& comment, const CommonTypeVarRec& V, QDateTime slot,
                     const QString& sourceUnits, const std::shared_ptr<HashTable<QString>>& additionalInfo,
                     qint32 approvalLevel, const QDateTime& collectionDate);
    //! True when the variable holds a value for the slot's day; the slot is
    //! replaced by the day (daily) or the slot start (sub-daily).
    bool IsDataWritten(const CommonTypeVarRec& V, QDateTime& slot);
    void AddReadStatistics(double timerBefore, double timerAfter, qint32 recordCount);
    void LogRunStatistics();

    CustomSource& source() { return *m_source; }
    CommonFacilityWriter* writer() { return m_writer.get(); }

private:
    bool ImportFacility(const QString& facility, bool& stopRun);
    bool WriteRecordMatches(const QString& facility, qint32 recordNumber, bool& stopRun);
    //! Repeats the write after dropping the writer's connection until it
    //! succeeds or the configured attempts are used up.
    bool WriteWithRecovery(const std::function<bool()>& write);
    //! The record's additional info as the facility's column table, or null.
    std::shared_ptr<HashTable<QString>> TargetAdditionalInfo(const std::shared_ptr<HashTable<QString>>& additionalInfo,
                                                             const CommonTypeVarRec& V) const;
    void FinishSource();

    std::unique_ptr<CommonTypeVar> m_matcher;
    CommonVarGatherer* m_gatherer = nullptr;
    bool m_testMode = false;
    QDateTime m_runStart;
    std::unique_ptr<CustomSource> m_source;
    std::unique_ptr<CommonFacilityWriter> m_writer;
    std::unique_ptr<CommonUnitConvert> m_unitConverter;
    ImportStatistics m_statistics;
    // The logbook cross-references the matcher reads with the variables.
    QStringList m_logbookIds;
    QStringList m_logbookFacilities;
    QStringList m_logbookCrossReferences;
};

} // namespace limsbridge
