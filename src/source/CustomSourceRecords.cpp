// CustomSource: running the query and turning its rows into records.
#include "source/CustomSource.h"

#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "platform/DbConnection.h"
#include "platform/DbRecordset.h"
#include "platform/DbValue.h"
#include "platform/RaisedError.h"
#include "source/CommonTypeLimsMatchRec.h"
#include "source/SourceQueryText.h"
#include "target/CommonAINFOnavigator.h"

#include <QLocale>
#include <QSet>

#include <array>
#include <exception>

namespace limsbridge {

namespace {

void writeLog(const QString& text, int level) {
    if (Logger)
        Logger->WriteLog(text, level);
}

// The source fields whose values may be collected as additional info.
constexpr std::array<const char*, 21> kAdditionalInfoFields = {"RESULTCOMMENT",
                                                               "LAB",
                                                               "ORIGINAL_SAMPNUM",
                                                               "EXTLAB_SAMPNUM",
                                                               "SAMPLENOTE",
                                                               "SAMPLEDBY",
                                                               "SAMPLENUM",
                                                               "SAMPNUM",
                                                               "SAMPLETYPE",
                                                               "ANALYZEDBY",
                                                               "ANALYSIS_START",
                                                               "ANALYSIS_END",
                                                               "ANALYSIS_METHOD",
                                                               "APPROVEDDATE",
                                                               "SAMPLEDATE",
                                                               "ANALYTE",
                                                               "MDL",
                                                               "RL",
                                                               "ML",
                                                               "UD1",
                                                               "UD2"};

bool isAdditionalInfoField(const QString& id) {
    for (const char* name : kAdditionalInfoFields)
        if (id == QLatin1String(name))
            return true;
    return false;
}

// A date-time as the US English general date: the time is left out at
// midnight, and the date on the zero date (30 December 1899).
QString generalDateText(const QDateTime& date) {
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    if (!date.isValid())
        return QString();
    const bool midnight = date.time() == QTime(0, 0);
    if (date.date() == QDate(1899, 12, 30))
        return english.toString(date.time(), QStringLiteral("h:mm:ss AP"));
    if (midnight)
        return english.toString(date.date(), QStringLiteral("M/d/yyyy"));
    return english.toString(date, QStringLiteral("M/d/yyyy h:mm:ss AP"));
}

// Where the columns of one result set are: found once per load, so that a row
// costs no name lookups. -1 for a column the result set lacks.
struct ColumnPositions {
    int sampDate = -1;
    int final = -1;
    int sampLoc = -1;
    int analyte = -1;
    int units = -1;
    int sampleIdentifier = -1;
    int resultStatus = -1;
    int limsUd1 = -1;
    //! The additional-info fields to collect: the mapped id and its column.
    std::vector<std::pair<QString, int>> additionalInfo;
};

// A required column's value; a column the result set lacks fails the load with
// the recordset's own error for that name.
QVariant required(const DbRecordset& recordset, int position, const char* name) {
    return position >= 0 ? recordset.Field(position) : recordset.Field(QString::fromLatin1(name));
}

} // namespace

bool CustomSource::FieldExists(const DbRecordset& recordset, const QString& name) {
    const QString wanted = name.toUpper();
    for (const QString& field : recordset.FieldNames())
        if (field.toUpper() == wanted)
            return true;
    return false;
}

bool CustomSource::LoadResultRecords() {
    DbRecordset recordset;
    try {
        // A failed query must not leave the previous read's records looking loaded.
        m_cursor = 0;
        m_records.clear();
        m_recordCount = 0;
        const QString startLiteral = SourceQueryText::DateLiteral(m_databaseKind, m_startDate);
        const QString endLiteral = SourceQueryText::DateLiteral(m_databaseKind, m_endDate);
        const bool statusSwitch =
            Config->item(QStringLiteral("K52907\\IMPORTDATAAPP")) == QLatin1String("RESULTSTATUS");
        const QString query = SourceQueryText::ReplaceDatePlaceholders(
            Config->item(QStringLiteral("K52907\\SOURCE_QUERY")), startLiteral, endLiteral);
        writeLog("CustomSource.LoadResultRecords() Query : " + query, 5);

        if (!m_connection)
            throw RaisedError(DbError::ConnectionClosed,
                              QStringLiteral("There is no connection to the source database"));
        const QSet<QString> fieldsRead = FieldsToRead(statusSwitch);
        recordset.OpenWithFields(query, *m_connection,
                                 [&fieldsRead](const QString& name) { return fieldsRead.contains(name.toUpper()); });
        writeLog("CustomSource.LoadResultRecords() Query Executed succesfully, returned " +
                     QString::number(recordset.RecordCount()) + " Records",
                 5);
        if (recordset.RecordCount() > 0)
            recordset.MoveFirst();
        loadRows(recordset, statusSwitch);
        recordset.Close();
        return true;
    } catch (const RaisedError& error) {
        writeLog("Error in LoadResultRecords: " + QString::number(error.number()) + " - " +
                     error.description(),
                 0);
    } catch (const std::exception& error) {
        writeLog("Error in LoadResultRecords: " + QString::number(DbError::DriverFailure) + " - " +
                     QString::fromUtf8(error.what()),
                 0);
    }
    return false;
}

// A query may deliver many more columns than a record keeps; only these are
// converted. Upper case, as FieldExists compares.
QSet<QString> CustomSource::FieldsToRead(bool statusSwitch) {
    QSet<QString> fields{QStringLiteral("SAMPDATE"), QStringLiteral("FINAL"),     QStringLiteral("SAMPLOC"),
                         QStringLiteral("ANALYTE"),  QStringLiteral("UNITS"),     QStringLiteral("SAMPLENUM"),
                         QStringLiteral("SAMPNUM"),  QStringLiteral("LIMSUD1")};
    if (statusSwitch)
        fields.insert(QStringLiteral("RESULTSTATUS"));
    if (AinfoNavigator && AinfoNavigator->Count_Map() >= 1) {
        for (AinfoNavigator->MoveFirst_Map(); !AinfoNavigator->EOF_Map(); AinfoNavigator->MoveNext_Map()) {
            const QString id = AinfoNavigator->Current_Map();
            if (isAdditionalInfoField(id))
                fields.insert(id.toUpper());
        }
    }
    return fields;
}

void CustomSource::loadRows(DbRecordset& recordset, bool statusSwitch) {
    ColumnPositions columns;
    columns.sampDate = recordset.fieldIndex(QStringLiteral("SampDate"));
    columns.final = recordset.fieldIndex(QStringLiteral("FINAL"));
    columns.sampLoc = recordset.fieldIndex(QStringLiteral("SampLoc"));
    columns.analyte = recordset.fieldIndex(QStringLiteral("Analyte"));
    columns.units = recordset.fieldIndex(QStringLiteral("Units"));
    if (FieldExists(recordset, QStringLiteral("SAMPLENUM")))
        columns.sampleIdentifier = recordset.fieldIndex(QStringLiteral("SAMPLENUM"));
    else if (FieldExists(recordset, QStringLiteral("SAMPNUM")))
        columns.sampleIdentifier = recordset.fieldIndex(QStringLiteral("SAMPNUM"));
    if (statusSwitch && FieldExists(recordset, QStringLiteral("RESULTSTATUS")))
        columns.resultStatus = recordset.fieldIndex(QStringLiteral("ResultStatus"));
    if (FieldExists(recordset, QStringLiteral("LIMSUD1")))
        columns.limsUd1 = recordset.fieldIndex(QStringLiteral("LIMSUD1"));

    // The navigator's map is the same for every row: walk it once and keep the
    // mapped fields this result set can deliver, in the map's order.
    const bool collectAdditionalInfo = AinfoNavigator && AinfoNavigator->Count_Map() >= 1;
    if (collectAdditionalInfo) {
        for (AinfoNavigator->MoveFirst_Map(); !AinfoNavigator->EOF_Map(); AinfoNavigator->MoveNext_Map()) {
            const QString id = AinfoNavigator->Current_Map();
            if (isAdditionalInfoField(id) && FieldExists(recordset, id))
                columns.additionalInfo.emplace_back(id, recordset.fieldIndex(id));
        }
    }

    while (!recordset.Eof()) {
        // Null and values that are no date give an invalid date-time: the row is skipped.
        const QDateTime collected = DbValue::dateOf(required(recordset, columns.sampDate, "SampDate"));
        if (!collected.isValid()) {
            recordset.MoveNext();
            continue;
        }
        auto record = std::make_shared<CommonTypeLimsMatchRec>();
        const QString result = DbValue::textOf(required(recordset, columns.final, "FINAL"));
        record->LIMSResultComment = QString();
        record->LimsCollectedDate = collected;
        record->LimsLocation = DbValue::textOf(required(recordset, columns.sampLoc, "SampLoc"));
        record->LimsTest = DbValue::textOf(required(recordset, columns.analyte, "Analyte"));
        if (columns.sampleIdentifier >= 0)
            record->LimsSampleIdentifier = DbValue::textOf(recordset.Field(columns.sampleIdentifier));
        record->LimsResult = result;
        if (columns.resultStatus >= 0)
            record->LimsResultStatus = DbValue::textOf(recordset.Field(columns.resultStatus));
        else
            record->LimsResultStatus = 1;
        record->LimsUnits = DbValue::textOf(required(recordset, columns.units, "Units")).trimmed();
        record->LimsResultFLAG = QString();
        if (columns.limsUd1 >= 0)
            record->LimsUD1 = DbValue::textOf(recordset.Field(columns.limsUd1));

        LogResultRecord(*record, 9);
        if (collectAdditionalInfo) {
            AinfoNavigator->SourceRecord_New();
            for (const auto& [id, position] : columns.additionalInfo)
                AinfoNavigator->SourceRecord_addTo(id, DbValue::textOf(recordset.Field(position)));
            record->LimsAINFO = AinfoNavigator->SourceRecord_download();
        }

        m_records.push_back(std::move(record));
        ++m_recordCount;
        recordset.MoveNext();
    }
}

void CustomSource::LogResultRecord(const CommonTypeLimsMatchRec& record, int verbosity) const {
    if (!Logger || Logger->Verbosity() < verbosity)
        return;
    Logger->WriteLog("Collect Date: " + generalDateText(record.LimsCollectedDate) +
                         ", Location: " + record.LimsLocation + ", Test: " + record.LimsTest +
                         ", Result: " + DbValue::textOf(record.LimsResult) +
                         ", Sample ID: " + DbValue::textOf(record.LimsSampleIdentifier) +
                         ", Units: " + DbValue::textOf(record.LimsUnits) +
                         ", Data Qualifier: " + DbValue::textOf(record.LimsResultFLAG),
                     verbosity);
}

} // namespace limsbridge
