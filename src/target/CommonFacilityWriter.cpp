#include "target/CommonFacilityWriter.h"

#include "core/ActivityLog.h"
#include "core/Globals.h"
#include "core/QORLoggerTXT.h"
#include "platform/DbConnection.h"
#include "platform/DbRecordset.h"
#include "platform/RaisedError.h"
#include "source/VarTypeFunctions.h"
#include "target/CommentsInt.h"
#include "target/ConnectionManager.h"
#include "target/DataDDInt.h"
#include "target/DatatblInt.h"
#include "target/DateText.h"
#include "target/ValueConversions.h"

#include <exception>
#include <utility>

namespace limsbridge {

namespace {

constexpr qsizetype kMaxCommentLength = 2000;
constexpr qint32 kOneSecondIntervals = 86400;

void writeLog(const QString& text, int level) {
    if (Logger)
        Logger->WriteLog(text, level);
}

QDateTime dayOf(const QDateTime& t) {
    return QDateTime(t.date(), QTime(0, 0), t.timeSpec());
}

} // namespace

CommonFacilityWriter::CommonFacilityWriter() : PerfromedWriteDateStamp(DateText::ZeroDate()) {
    DestroyConnection();
}

CommonFacilityWriter::~CommonFacilityWriter() {
    DestroyConnection();
}

// An unknown code stores daily values, as the data-table rule says. The empty
// code matches every frequency; its values go to the daily procedures, so its
// additional info goes to the daily table too.
CommonFacilityWriter::Target CommonFacilityWriter::TargetOf(const QString& vartype) {
    const auto known = m_targets.constFind(vartype);
    if (known != m_targets.constEnd())
        return *known;
    Target target;
    const qint32 intervals = VarTypeFunctions::IntervalsPerDay(vartype);
    target.daily = VarTypeFunctions::IsFrequencyDay(vartype) || intervals <= 1;
    target.intervalsPerDay = target.daily ? 1 : intervals;
    target.valueTable = target.daily ? QStringLiteral("DATATBL") : VarTypeFunctions::DataTableName(vartype);
    return *m_targets.insert(vartype, target);
}

void CommonFacilityWriter::CloseConnectionQuietly() {
    // The wrappers point at the connection; they go first.
    m_datatbl.reset();
    m_comments.reset();
    for (SubDaily& subDaily : m_subDaily) {
        subDaily.data.reset();
        subDaily.intervalsPerDay = 0;
    }
    m_probeAnswered = false;
    m_probeOwed = false;
    if (m_connection) {
        try {
            m_connection->Close();
        } catch (...) {
            // A connection that cannot even be closed is dropped all the same.
        }
    }
}

void CommonFacilityWriter::DestroyConnection() {
    CloseConnectionQuietly();
    m_connection.reset();
}

bool CommonFacilityWriter::OpenFacilityConnection() {
    auto connection = std::make_unique<DbConnection>();
    ConnectionManager manager;
    try {
        if (!ConfigureConnectionManager(manager))
            return false;
    } catch (const RaisedError&) {
        // Settings that are no numbers cannot become a connection either.
        return false;
    }
    manager.ConfigCnn4FACILITY(*connection, m_facilID);
    try {
        connection->Open();
    } catch (const RaisedError& error) {
        const DbError first = connection->firstErrorOr(error);
        LogActivity("Unable to Open Connection to Vell OXMO. Error : " + QString::number(first.Number) + " - " +
                        first.Description,
                    1);
        // Nothing is kept of a connection that never opened: the next write tries anew.
        return false;
    }
    m_connection = std::move(connection);
    return true;
}

bool CommonFacilityWriter::ConnectionAlive() {
    if (!m_connection)
        return false;
    try {
        DbRecordset probe(QStringLiteral("select count(id) from approvalini"), *m_connection);
        ValueConversions::toLong(probe.Field(0));
        return true;
    } catch (...) {
        return false;
    }
}

// The probe query would cost a round trip per value, a third of the time a
// write takes. So a connection that has answered it once, and on which the
// server has sent nothing since the last statement, is taken as alive without
// asking: a session the server has ended always leaves its farewell to read.
// The probe is then owed: should the write's first statement fail, the probe
// is asked after all, and a connection that no longer answers it fails the
// write just as the probe would have failed it up front.
bool CommonFacilityWriter::EnsureConnection() {
    m_probeOwed = false;
    m_lostAtProbe = false;
    if (!m_connection && !OpenFacilityConnection())
        return false;
    if (m_probeAnswered && m_connection->QuietSinceLastStatement()) {
        m_probeOwed = true;
        return true;
    }
    m_probeAnswered = ConnectionAlive();
    return m_probeAnswered;
}

bool CommonFacilityWriter::lostAtOwedProbe() {
    const bool probeOwed = std::exchange(m_probeOwed, false);
    m_lostAtProbe = probeOwed && !ConnectionAlive();
    return m_lostAtProbe;
}

void CommonFacilityWriter::logWriteError(const QString& line) {
    if (!lostAtOwedProbe())
        writeLog(line, 0);
}

DatatblInt& CommonFacilityWriter::datatbl() {
    if (!m_datatbl) {
        m_datatbl = std::make_unique<DatatblInt>();
        m_datatbl->Connect(*m_connection);
    }
    return *m_datatbl;
}

CommentsInt& CommonFacilityWriter::comments() {
    if (!m_comments) {
        m_comments = std::make_unique<CommentsInt>();
        m_comments->Connect(*m_connection);
    }
    return *m_comments;
}

DataDDInt& CommonFacilityWriter::dataDD(qint32 intervalsPerDay) {
    SubDaily* freeEntry = nullptr;
    for (SubDaily& subDaily : m_subDaily) {
        if (subDaily.data && subDaily.intervalsPerDay == intervalsPerDay)
            return *subDaily.data;
        if (!subDaily.data && !freeEntry)
            freeEntry = &subDaily;
    }
    // More frequencies than entries cannot occur with the known type codes;
    // should it, the first entry is rebound rather than growing without end.
    SubDaily& entry = freeEntry ? *freeEntry : m_subDaily.front();
    entry.data = std::make_unique<DataDDInt>();
    entry.data->ConnectTo(*m_connection, intervalsPerDay);
    entry.intervalsPerDay = intervalsPerDay;
    return *entry.data;
}

void CommonFacilityWriter::resetStatus(bool withAdditionalInfoCounts) {
    PerfromedPhysicalWrite = false;
    PerfromedLogicalWrite = false;
    ApprovalLevelDisabledWrite = false;
    PerfromedWriteDateStamp = DateText::ZeroDate();
    if (withAdditionalInfoCounts) {
        PerformedAINFOfieldsLogicalWrite = 0;
        PerformedAINFOfieldsPhysicalWrite = 0;
    }
}

bool CommonFacilityWriter::canWrite() const {
    return !m_facilID.isEmpty() && m_lockDate.isValid() && m_lockDate != DateText::ZeroDate();
}

bool CommonFacilityWriter::refusedByLockDate(const QDateTime& dayOrSlotStart) {
    if (dayOrSlotStart >= m_lockDate)
        return false;
    ApprovalLevelDisabledWrite = true;
    PerfromedWriteDateStamp = dayOrSlotStart;
    return true;
}

// The plant database keeps a table for one-second values but no procedures to
// write them, and the sub-daily interface would file them under the hourly
// procedures with slots of no length. Such values are refused like a value
// before the lock date, so that the run goes on and counts them as skipped,
// and the reason is put in the activity list.
bool CommonFacilityWriter::refuseOneSecondValue(qint32 varId, const QDateTime& slotStart, const char* what) {
    ApprovalLevelDisabledWrite = true;
    PerfromedWriteDateStamp = slotStart;
    LogActivity(
        QStringLiteral("Unable to write the %1 of variable %2 for %3: the plant database has no procedures "
                       "for one-second values")
            .arg(QLatin1String(what), QString::number(varId), DateText::General(slotStart)),
        1);
    return true;
}

bool CommonFacilityWriter::WriteToZuriVARU(const QString& Vartype, qint32 varId, const QDateTime& DateStamp,
                                           double CurValue, const QString& textValue, qint32 ApprovalLevel,
                                           const HashTable<QString>* AdditionalInfoHash,
                                           const QDateTime& /*dtLimsCollectDate*/) {
    resetStatus(true);
    if (!canWrite() || !EnsureConnection())
        return false;

    const Target target = TargetOf(Vartype);
    QDateTime stamp;
    bool result = false;
    if (target.daily) {
        stamp = dayOf(DateStamp);
        result = WriteDailyValue(varId, stamp, CurValue, textValue, ApprovalLevel);
    } else {
        stamp = VarTypeFunctions::SlotStart(DateStamp, Vartype);
        result = target.intervalsPerDay == kOneSecondIntervals
                     ? refuseOneSecondValue(varId, stamp, "value")
                     : WriteSubDailyValue(target.intervalsPerDay, varId, stamp, CurValue, textValue,
                                          ApprovalLevel);
    }

    if (result && AdditionalInfoHash && !ApprovalLevelDisabledWrite && AdditionalInfoHash->Count() > 0 &&
        !WriteToZuriVARUainfo(target.valueTable, varId, stamp, *AdditionalInfoHash))
        writeLog(
            QStringLiteral("CommonFacilityWriter.WriteToZuriVARU() : WriteToZuriVARUainfo returned failure "
                           "during write of Additional Info Fields"),
            9);
    return result;
}

bool CommonFacilityWriter::WriteCOMtoZuriVARU(const QString& Vartype, qint32 varId,
                                              const QDateTime& DateStamp, const QString& comment,
                                              const HashTable<QString>* AdditionalInfoHash) {
    resetStatus(false);
    if (!canWrite() || !EnsureConnection())
        return false;

    const QString text = comment.size() > kMaxCommentLength ? comment.left(kMaxCommentLength) : comment;
    const Target target = TargetOf(Vartype);
    QDateTime stamp;
    bool result = false;
    if (target.daily) {
        stamp = dayOf(DateStamp);
        result = WriteDailyComment(varId, stamp, text);
    } else {
        stamp = VarTypeFunctions::SlotStart(DateStamp, Vartype);
        result = target.intervalsPerDay == kOneSecondIntervals
                     ? refuseOneSecondValue(varId, stamp, "comment")
                     : WriteSubDailyComment(target.intervalsPerDay, varId, stamp, text);
    }

    // The fields belong to the slot whatever became of the comment, unless
    // the connection was found dead, as the probe would have found it.
    if (m_lostAtProbe)
        return false;
    if (AdditionalInfoHash && !ApprovalLevelDisabledWrite && AdditionalInfoHash->Count() > 0 &&
        !WriteToZuriVARUainfo(target.valueTable, varId, stamp, *AdditionalInfoHash))
        writeLog(
            QStringLiteral("CommonFacilityWriter.WriteToZuriVARU() : WriteToZuriVARUainfo returned failure "
                           "during write of Additional Info Fields"),
            9);
    return result;
}

bool CommonFacilityWriter::WriteDailyValue(qint32 varId, const QDateTime& day, double value,
                                           const QString& textValue, qint32 approvalLevel) {
    if (refusedByLockDate(day))
        return true;
    try {
        DatatblInt& data = datatbl();
        double storedValue = 0;
        QString storedText;
        QString storedUser;
        QDateTime storedTime;
        qint32 storedForced = 0;
        qint32 storedStatus = 0;
        data.SeekDateVarId(day, varId, storedValue, storedText, &storedUser, &storedTime, &storedForced,
                           &storedStatus);
        m_probeOwed = false;
        if (!data.NoMatch().toBool() && approvalLevel < storedStatus) {
            ApprovalLevelDisabledWrite = true;
            PerfromedWriteDateStamp = day;
            return true;
        }
        if (!m_testMode) {
            data.WriteData(day, varId, value, textValue, approvalLevel);
            PerfromedPhysicalWrite = true;
        }
        PerfromedWriteDateStamp = day;
        PerfromedLogicalWrite = true;
        return true;
    } catch (const RaisedError& error) {
        logWriteError(QString::number(error.number()) + " - " + error.description());
    } catch (const std::exception& error) {
        logWriteError("0 - " + QString::fromLocal8Bit(error.what()));
    }
    return false;
}

bool CommonFacilityWriter::WriteSubDailyValue(qint32 intervalsPerDay, qint32 varId,
                                              const QDateTime& slotStart, double value,
                                              const QString& textValue, qint32 approvalLevel) {
    if (refusedByLockDate(slotStart))
        return true;
    try {
        DataDDInt& data = dataDD(intervalsPerDay);
        QDateTime storedStamp;
        double storedValue = 0;
        QString storedText;
        QString storedUser;
        QDateTime storedTime;
        qint32 storedStatus = 0;
        qint32 storedForced = 0;
        data.SeekData(slotStart, varId, storedStamp, storedValue, storedText, &storedUser, &storedTime,
                      &storedStatus, &storedForced);
        m_probeOwed = false;
        if (!data.NoMatch().toBool() && approvalLevel < storedStatus) {
            ApprovalLevelDisabledWrite = true;
            PerfromedWriteDateStamp = slotStart;
            return true;
        }
        if (!m_testMode) {
            writeLog(QStringLiteral("Writing DD Value to database."), 9);
            data.WriteData(slotStart, slotStart, varId, value, textValue, approvalLevel);
            PerfromedPhysicalWrite = true;
        }
        PerfromedWriteDateStamp = slotStart;
        PerfromedLogicalWrite = true;
        return true;
    } catch (const RaisedError& error) {
        logWriteError(QString::number(error.number()) + " - " + error.description());
    } catch (const std::exception& error) {
        logWriteError("0 - " + QString::fromLocal8Bit(error.what()));
    }
    return false;
}

bool CommonFacilityWriter::WriteDailyComment(qint32 varId, const QDateTime& day, const QString& comment) {
    if (refusedByLockDate(day))
        return true;
    try {
        CommentsInt& data = comments();
        if (!m_testMode) {
            data.WriteData(day, varId, comment);
            PerfromedPhysicalWrite = true;
        }
        PerfromedWriteDateStamp = day;
        PerfromedLogicalWrite = true;
        return true;
    } catch (...) {
        lostAtOwedProbe();
        return false;
    }
}

bool CommonFacilityWriter::WriteSubDailyComment(qint32 intervalsPerDay, qint32 varId,
                                                const QDateTime& slotStart, const QString& comment) {
    if (refusedByLockDate(slotStart))
        return true;
    try {
        DataDDInt& data = dataDD(intervalsPerDay);
        if (!m_testMode) {
            data.WriteComment(slotStart, slotStart, varId, comment);
            PerfromedPhysicalWrite = true;
        }
        PerfromedWriteDateStamp = slotStart;
        PerfromedLogicalWrite = true;
        return true;
    } catch (...) {
        lostAtOwedProbe();
        return false;
    }
}

} // namespace limsbridge
