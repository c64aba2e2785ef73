// The target variables an import works on: for one collector, the facilities
// of the plant database and the ids of their enabled variables linked to the
// collector, walked as a two-level cursor (facility, then variable). Alongside
// it keeps the per-facility lookups later stages need (display names,
// additional-info column layouts, run dates) and the collector's own settings
// with its and this computer's offsets from UTC.
#pragma once

#include "core/HashTable.h"

#include <QDateTime>
#include <QSet>
#include <QString>

#include <memory>
#include <vector>

namespace limsbridge {

class CommonLastRun;
class DbConnection;

//! One facility's additional-info columns: column name (upper case) → upper-case
//! type, a TAB, and the length for the character types (empty for the others).
using AinfoColumnTable = HashTable<QString>;
//! Facility file name (upper case) → its additional-info column table.
using FacilityAinfoTable = HashTable<std::shared_ptr<AinfoColumnTable>>;

class CommonVarGatherer {
public:
    CommonVarGatherer();
    ~CommonVarGatherer();
    CommonVarGatherer(const CommonVarGatherer&) = delete;
    CommonVarGatherer& operator=(const CommonVarGatherer&) = delete;

    // Lookups that other stages read, and that a second gatherer for a subset
    // of the variables takes over by sharing the same objects.
    //! Facility file name (upper case) → facility name as stored.
    std::shared_ptr<HashTable<QString>> FacilID2FacilNameHash;
    //! Only facilities whose additional-info columns could be read have an entry.
    std::shared_ptr<FacilityAinfoTable> FacilID2ainfoHash;
    //! Created empty; the workflow fills it with the collector's run dates.
    std::shared_ptr<CommonLastRun> LookupLastRun;

    //! Reads the facilities, their names, linked enabled variables and
    //! additional-info columns. Ids gathered earlier stay.
    bool ReadZuriVARU(qint32 interface_id, DbConnection& aRootCNN);
    //! Adds one id to a facility's list; an id already listed changes nothing.
    bool ADHOCAddVariable(const QString& facility, qint32 variableId);
    //! Empties the variable lists.
    void Clear();

    //! Facilities that hold at least one id.
    qint32 TotalFacility() const { return m_variableLists.Count(); }
    //! Ids added (an id added twice to one facility counts once).
    qint32 TotalVariable() const { return m_totalVariables; }

    bool EOF_Facility() const;
    bool EOF_Variable() const;
    //! Within the current facility only; never moves to the next facility.
    void MoveNext_Variable();
    void MoveNext_Facility();
    //! Starts the walk at the first facility in the key order of the list table.
    void MoveFirst();
    //! Raises error 9 outside the current facility's ids.
    qint32 Current_Variable() const;
    //! Raises error 9 outside the facilities.
    QString Current_Facility() const;

    //! Reads the collector's row; false when it is missing or unreadable.
    bool ReadAboutCollector(qint32 interface_id, DbConnection& aRootCNN);
    double CollectorDateAdjust() const { return m_collectorDateAdjust; }
    qint32 CollectorTimeZoneID() const { return m_collectorTimeZoneId; }
    qint32 CollectorID() const { return m_collectorId; }
    QDateTime CollectorChangedTimeStamp() const { return m_collectorChangedTimeStamp; }
    QString CollectorChangedAuditUSer() const { return m_collectorChangedAuditUser; }
    //! The user values are written as; empty for none.
    QString CollectorWriteAsUser() const { return m_collectorWriteAsUser; }
    QString CollectorName() const { return m_collectorName; }
    QString CollectorDescription() const { return m_collectorDescription; }
    bool CollectorEnabled() const { return m_collectorEnabled; }
    //! The collector's zone offset from UTC when the row was read, minutes east.
    double CollectorTimeZoneOffset() const { return m_collectorTimeZoneOffset; }
    //! This computer's offset from UTC when the collector row was read, minutes east.
    double InterfaceTimezoneOffset() const { return m_localTimeZoneOffset; }
    //! Takes every collector setting from another gatherer.
    void CopyCollectorInfo(const CommonVarGatherer& other);

private:
    // A facility's ids in the order added, with a set beside them so that the
    // duplicate check stays a lookup however long the list grows.
    struct VariableList {
        std::vector<qint32> ids;
        QSet<qint32> members;
    };

    void GatherFacilityVariables(const QString& facility, qint32 interface_id);
    bool ReadAdditionalInfoColumns(DbConnection& facilityConnection, AinfoColumnTable& columns);
    static bool ListHasVariable(qint32 variableId, const VariableList& list);
    double ReadCollectorTimeZoneBias(qint32 timeZoneId, DbConnection& rootConnection);
    static double LocalTimeZoneOffset();
    void loadCurrentIds();

    HashTable<std::shared_ptr<VariableList>> m_variableLists;
    qint32 m_totalVariables = 0;
    qint32 m_facilityCursor = -1;
    QList<QString> m_facilityKeys;
    qint32 m_variableCursor = -1;
    std::vector<qint32> m_currentIds;

    QString m_collectorName;
    QString m_collectorDescription;
    bool m_collectorEnabled = false;
    QString m_collectorWriteAsUser;
    QString m_collectorChangedAuditUser;
    QDateTime m_collectorChangedTimeStamp;
    qint32 m_collectorId = 0;
    qint32 m_collectorTimeZoneId = 0;
    double m_collectorTimeZoneOffset = 0;
    double m_collectorDateAdjust = 0;
    double m_localTimeZoneOffset = 0;
};

} // namespace limsbridge
