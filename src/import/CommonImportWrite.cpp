// The part of CommonImport that writes one matched result: the overwrite
// check, the value and comment the write rules choose, and their report.
#include "import/CommonImport.h"

#include "core/Globals.h"
#include "core/QORLoggerTXT.h"
#include "core/SqlDateLiteral.h"
#include "import/WriteRules.h"
#include "platform/DbConnection.h"
#include "platform/DbRecordset.h"
#include "platform/RaisedError.h"
#include "source/CommonTypeGlobals.h"
#include "source/CommonTypeVarRec.h"
#include "source/CommonUnitConvert.h"
#include "source/VarTypeFunctions.h"
#include "target/CommonAINFOnavigator.h"
#include "target/CommonFacilityWriter.h"
#include "target/CommonVarGatherer.h"
#include "target/ConnectionManager.h"

namespace limsbridge {

namespace {

QDateTime dayOf(const QDateTime& value) {
    return QDateTime(value.date(), QTime(0, 0));
}

} // namespace

bool CommonImport::IsDataWritten(const CommonTypeVarRec& V, QDateTime& slot) {
    try {
        ConnectionManager manager;
        if (!ConfigureConnectionManager(manager))
            return false;
        DbConnection connection;
        manager.ConfigCnn4FACILITY(connection, V.gFacilID());
        connection.Open();

        const QString code = V.gVarType();
        const QString table = VarTypeFunctions::DataTableName(code);
        QString sql = QStringLiteral("Select VARID from ") + table + QStringLiteral(" WHERE VARID = ") +
                      QString::number(V.gID());
        if (VarTypeFunctions::IsFrequencyDay(code)) {
            slot = dayOf(slot);
            sql += QStringLiteral(" AND DATESTAMP= ") + SqlDateLiteral(slot);
        } else {
            // Sub-daily rows are stamped with their time within the day, so
            // the slot is looked for as the interval it covers; comparing with
            // midnight would protect the first slot of the day only.
            slot = VarTypeFunctions::SlotStart(slot, code);
            const qint64 slotSeconds = 86400 / qMax<qint32>(1, VarTypeFunctions::IntervalsPerDay(code));
            sql += QStringLiteral(" AND DATESTAMP >= ") + SqlDateLiteral(slot) + QStringLiteral(" AND DATESTAMP < ") +
                   SqlDateLiteral(slot.addSecs(slotSeconds));
        }
        DbRecordset recordset(sql, connection, DbLockType::Optimistic);
        const bool written = !recordset.Eof();
        recordset.Close();
        connection.Close();
        return written;
    } catch (const RaisedError& error) {
        if (Logger)
            Logger->WriteLog(QStringLiteral("IsDataWritten: ") + QString::number(error.number()) +
                                 QLatin1Char('-') + error.description(),
                             9);
        return false;
    }
}

std::shared_ptr<HashTable<QString>>
CommonImport::TargetAdditionalInfo(const std::shared_ptr<HashTable<QString>>& additionalInfo,
                                   const CommonTypeVarRec& V) const {
    if (!AinfoNavigator || AinfoNavigator->Count_Map() <= 0 || !additionalInfo || additionalInfo->Count() < 1)
        return nullptr;
    if (!m_gatherer || !m_gatherer->FacilID2ainfoHash)
        return nullptr;
    return AinfoNavigator->TransposeSource2Result(additionalInfo, V.gFacilID(), *m_gatherer->FacilID2ainfoHash);
}

bool CommonImport::WriteResult(const QVariant& result, const QString& comment, const CommonTypeVarRec& V,
                               QDateTime slot, const QString& sourceUnits,
                               const std::shared_ptr<HashTable<QString>>& additionalInfo, qint32 approvalLevel,
                               const QDateTime& collectionDate) {
    if (DontOverwrite && IsDataWritten(V, slot)) {
        if (Logger)
            Logger->WriteLog(QStringLiteral("Variable '") + QString::number(V.gID()) + QStringLiteral("' for ") +
                                 SqlDateLiteral(dayOf(slot)) +
                                 QStringLiteral("was not written as it was previously written"),
                             9);
        return true;
    }

    bool chosen = false;
    const WriteRules::ValueChoice choice = WriteRules::ChooseValue(result, V, sourceUnits, *m_unitConverter);
    if (choice.writeValue) {
        const std::shared_ptr<HashTable<QString>> targetInfo = TargetAdditionalInfo(additionalInfo, V);
        const bool written = WriteWithRecovery([&] {
            return m_writer->WriteToZuriVARU(V.gVarType(), V.gID(), slot, choice.number, choice.text, approvalLevel,
                                             targetInfo.get(), collectionDate);
        });
        if (!written)
            return false;
        m_statistics.ReportValueWrite(m_writer->PerfromedWriteDateStamp, V, choice.text,
                                      m_writer->PerfromedLogicalWrite, m_writer->PerfromedPhysicalWrite,
                                      m_writer->ApprovalLevelDisabledWrite,
                                      m_writer->PerformedAINFOfieldsLogicalWrite,
                                      m_writer->PerformedAINFOfieldsPhysicalWrite);
        chosen = true;
    }

    const QVariant commentPart = WriteRules::AssembleComment(choice.commentPart, comment);
    if (!commentPart.isNull()) {
        chosen = true;
        if (CommentWriterEnabled) {
            const QString commentText = commentPart.toString();
            const std::shared_ptr<HashTable<QString>> targetInfo = TargetAdditionalInfo(additionalInfo, V);
            const bool written = WriteWithRecovery([&] {
                return m_writer->WriteCOMtoZuriVARU(V.gVarType(), V.gID(), slot, commentText, targetInfo.get());
            });
            if (!written)
                return false;
            m_statistics.ReportCommentWrite(m_writer->PerfromedWriteDateStamp, V, commentText,
                                            m_writer->PerfromedLogicalWrite, m_writer->PerfromedPhysicalWrite,
                                            m_writer->ApprovalLevelDisabledWrite);
        }
    }

    // A blank result with no comment has nothing to store; it is passed over
    // instead of stopping the run.
    if (!chosen && WriteRules::ValueText(result).trimmed().isEmpty() && comment.trimmed().isEmpty())
        return true;
    return chosen;
}

} // namespace limsbridge
