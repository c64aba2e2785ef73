// The additional-info part of CommonFacilityWriter: one row per variable and
// day or slot in the "_I" table of the variable's value table, and the log
// block that tells exactly which field of which row failed.
#include "target/CommonFacilityWriter.h"

#include "core/Globals.h"
#include "core/QORLoggerTXT.h"
#include "core/SqlDateLiteral.h"
#include "core/TimeUtilities.h"
#include "platform/DbConnection.h"
#include "platform/DbRecordset.h"
#include "platform/RaisedError.h"
#include "target/AuditUser.h"
#include "target/DateText.h"

#include <exception>

namespace limsbridge {

namespace {

const QString kContext = QStringLiteral("CommonFacilityWriter.WriteToZuriVARUainfo():");

void writeLog(const QString& text, int level) {
    if (Logger)
        Logger->WriteLog(text, level);
}

} // namespace

void CommonFacilityWriter::DumpAdditionalInfo(const QString& label, const HashTable<QString>& table,
                                              int verbosity) const {
    if (table.Count() == 0)
        return;
    for (const QString& key : table.Keys())
        writeLog(label + " [" + key + "] " + table.Item(key), verbosity);
}

bool CommonFacilityWriter::WriteToZuriVARUainfo(const QString& valueTable, qint32 varId,
                                                const QDateTime& dateStamp, const HashTable<QString>& table) {
    QString whenKey;
    QString whenValue;
    long errorNumber = 0;
    QString errorDescription;
    try {
        if (!m_connection)
            throw RaisedError(91, QStringLiteral("Object variable or With block variable not set"));
        // The table name comes from the type table and the id is a number, so
        // nothing of the caller's text reaches the statement.
        DbRecordset row("select * from " + valueTable + "_I where varid=" + QString::number(varId) +
                            " and datestamp=" + SqlDateLiteral(dateStamp),
                        *m_connection, DbLockType::Optimistic);
        if (row.Eof()) {
            row.AddNew();
            row.setField(QStringLiteral("datestamp"), dateStamp);
            row.setField(QStringLiteral("varid"), varId);
        }
        row.setField(QStringLiteral("audituser"), CurrentAuditUser());
        row.setField(QStringLiteral("audittimestamp"), ServerNow());

        const QList<QString> keys = table.Keys();
        for (const QString& key : keys) {
            whenKey = key;
            whenValue = table.Item(key);
            row.setField(key, whenValue.isEmpty() ? QVariant() : QVariant(whenValue));
        }
        whenKey.clear();
        whenValue.clear();

        if (m_testMode)
            row.CancelUpdate();
        else
            row.Update();
        row.Close();

        const auto count = qint16(keys.size());
        PerformedAINFOfieldsLogicalWrite = count;
        if (!m_testMode)
            PerformedAINFOfieldsPhysicalWrite = count;
        DumpAdditionalInfo(m_testMode ? QStringLiteral("(Test) Wrote Additional Info [Field] Value :")
                                      : QStringLiteral("Wrote Additional Info [Field] Value :"),
                           table, 5);
        return true;
    } catch (const RaisedError& error) {
        errorNumber = error.number();
        errorDescription = error.description();
    } catch (const std::exception& error) {
        errorNumber = 0;
        errorDescription = QString::fromLocal8Bit(error.what());
    }

    writeLog(kContext + "  Error Handler dump BEGIN --------------------------", 9);
    writeLog(kContext + "  WHEN_KEY = " + whenKey + ", WHEN_VALUE = " + whenValue, 9);
    writeLog(kContext + "  WHEN_FACILID = " + m_facilID + ", WHEN_VARID = " + QString::number(varId) +
                 ", WHEN_DATESTAMP = " + DateText::General(dateStamp),
             9);
    if (errorNumber > 0)
        writeLog(kContext + " Generic Error # " + QString::number(errorNumber) + " - '" + errorDescription +
                     " ' occured",
                 0);
    if (m_connection) {
        const QList<DbError>& errors = m_connection->Errors();
        for (qsizetype i = 0; i < errors.size(); ++i)
            writeLog(kContext + " Connection Error (" + QString::number(i) + ") # " +
                         QString::number(errors.at(i).Number) + " - '" + errors.at(i).Description +
                         " ' occured",
                     0);
    }
    DumpAdditionalInfo(kContext + " HASH_DUMP : ", table, 9);
    writeLog(kContext + "  Error Handler dump END   --------------------------", 9);
    return false;
}

} // namespace limsbridge
