// The reader of the laboratory (LIMS) source database. For one import run it
// keeps a connection to the source, runs the user's query with the run's date
// range put in as literals of the source's dialect, and turns every usable row
// into a CommonTypeLimsMatchRec, which the import run then walks with a
// forward cursor.
#pragma once

#include <QDateTime>
#include <QSet>
#include <QString>

#include <memory>
#include <vector>

namespace limsbridge {

class CommonTypeLimsMatchRec;
class DbConnection;
class DbRecordset;

class CustomSource {
public:
    CustomSource();
    //! Closes the connection.
    ~CustomSource();
    CustomSource(const CustomSource&) = delete;
    CustomSource& operator=(const CustomSource&) = delete;

    //! The start of the range; replaces "#SD#" in the query.
    void setStartDate(const QDateTime& date) { m_startDate = date; }
    //! The end of the range; replaces "#ED#" in the query.
    void setenddate(const QDateTime& date) { m_endDate = date; }

    //! When true after a read the import run keeps the facility's last-run date.
    bool HoldLastRundate() const { return m_holdLastRundate; }
    void setHoldLastRundate(bool bHold) { m_holdLastRundate = bHold; }

    //! Clears the hold flag before the next facility is read.
    void PrepareForNextFacility(const QString& strFacilName);

    //! Connects when there is no connection and loads the records of the range;
    //! executionErrorOccured tells whether the read failed (a failed read may
    //! leave a partial set that must not be used).
    void ReadLIMSdata(bool& executionErrorOccured);

    bool EOF_LimsRec() const { return m_cursor >= m_recordCount; }
    qint32 RecordCount() const { return m_recordCount; }
    void MoveNext_LimsRec() { ++m_cursor; }
    //! The record under the cursor; null at the end.
    std::shared_ptr<CommonTypeLimsMatchRec> Get_LimsRec() const;

    //! Closes and drops the connection (errors ignored); the next read reconnects.
    void DestroyConnection();

    //! The tag block the import run writes into the log before each read.
    QString LogCustomSourceQuery() const;

    //! The connection string of the current configuration, with "###" in place
    //! of the password when MaskPassword is true.
    QString GenerateSourceConnString(bool MaskPassword);

    //! End-of-run hook; there is nothing to release before the object goes.
    void FinishRun_CleanUp() {}

private:
    bool OpenSourceConnection();
    bool EnsureSourceConnection();
    void CloseSourceConnection();
    void ConfigureSourceConnection(DbConnection& connection);
    QString BuildSourceConnectionString(bool maskPassword);
    bool LoadResultRecords();
    static QSet<QString> FieldsToRead(bool statusSwitch);
    void loadRows(DbRecordset& recordset, bool statusSwitch);
    void LogResultRecord(const CommonTypeLimsMatchRec& record, int verbosity) const;
    static bool FieldExists(const DbRecordset& recordset, const QString& name);

    QDateTime m_startDate;
    QDateTime m_endDate;
    bool m_holdLastRundate = false;
    qint16 m_databaseKind = 0;
    std::unique_ptr<DbConnection> m_connection;
    std::vector<std::shared_ptr<CommonTypeLimsMatchRec>> m_records;
    qint32 m_recordCount = 0;
    qint32 m_cursor = 0;
};

} // namespace limsbridge
