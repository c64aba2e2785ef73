// Maps laboratory fields to the additional-info columns of the facilities: the
// configured map entries, the per-record collection of field values and their
// transposition into a column -> value table for one facility.
//
// Use: LoadMap at the start of a workflow; for each source result record
// SourceRecord_New, a walk MoveFirst_Map .. EOF_Map with Current_Map and
// SourceRecord_addTo, then SourceRecord_download; for each facility and record
// TransposeSource2Result.
#pragma once

#include "core/HashTable.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace limsbridge {

class QORConfiguration;

class CommonAINFOnavigator {
public:
    static constexpr int kMapEntryCount = 512;

    //! Source field name -> value text of one result record; also the
    //! column -> value table that TransposeSource2Result builds.
    using Record = HashTable<QString>;
    using RecordPtr = std::shared_ptr<Record>;
    //! Facility -> its additional-info columns, as the variable gatherer
    //! provides it (FacilID2ainfoHash). A missing, null or empty entry means
    //! that the facility has no additional-info table that could be read.
    using ColumnsByFacility = HashTable<std::shared_ptr<HashTable<QString>>>;

    //! Registers the additional-info keys, map entries 1 to 512.
    static void DefineTree(QORConfiguration& config);

    CommonAINFOnavigator();

    //! Rebuilds the tables from the global configuration. Does nothing but
    //! mark the map unloaded while the feature is off.
    void LoadMap();

    void MoveFirst_Map();
    void MoveNext_Map() { ++m_cursor; }
    //! The number of distinct source field names of the last successful load.
    qint32 Count_Map() const { return m_count; }
    //! The source field name under the cursor; empty past the end.
    QString Current_Map() const;
    //! True when the map is not loaded or the cursor is past the last name.
    //! An empty map is at its end right after MoveFirst_Map, so that a walk
    //! never hands out a name that does not exist.
    bool EOF_Map() const { return !m_loaded || m_cursor < 1 || m_count < m_cursor; }

    //! Starts a new, empty current source record.
    void SourceRecord_New();
    //! Stores a value under the upper-cased field name in the current record;
    //! names that no map entry uses are ignored.
    void SourceRecord_addTo(const QString& name, const QString& value);
    //! The current source record; null before the first SourceRecord_New.
    RecordPtr SourceRecord_download() const { return m_currentRecord; }

    //! The column -> value table of one facility for a source record, or null
    //! when the facility has no additional-info table (no or an empty entry in
    //! columnsByFacility), no map entries, or two mapped fields of the record
    //! land in the same column (logged at verbosity 9). A null or empty record
    //! gives an empty table for a facility that has map entries.
    RecordPtr TransposeSource2Result(const RecordPtr& sourceRecord, const QString& facility,
                                     const ColumnsByFacility& columnsByFacility) const;

private:
    void RegisterMapEntry(const QString& facility, const QString& sourceName, const QString& column);
    bool loadMap(const QORConfiguration& config);

    bool m_loaded = false;
    qint32 m_cursor = 0;
    qint32 m_count = 0;
    //! Source field name -> itself: the set of distinct names.
    Record m_sourceNames;
    //! The set's keys in its key order; position p of the walk is entry p - 1.
    QStringList m_sourceList;
    //! Facility -> (source field name -> column).
    HashTable<std::shared_ptr<HashTable<QString>>> m_map;
    RecordPtr m_currentRecord;
};

//! The one navigator of the process, created at startup.
extern CommonAINFOnavigator* AinfoNavigator;

} // namespace limsbridge
