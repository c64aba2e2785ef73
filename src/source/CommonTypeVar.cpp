#include "CommonTypeVar.h"

#include "CommonTypeGlobals.h"
#include "VarTypeFunctions.h"
#include "core/ActivityLog.h"
#include "core/Globals.h"
#include "core/QORLoggerTXT.h"
#include "core/QORmsgBoxHandler.h"
#include "core/VbConvert.h"
#include "platform/DbConnection.h"
#include "platform/DbRecordset.h"
#include "platform/DbValue.h"
#include "platform/RaisedError.h"
#include "target/CommonVarGatherer.h"
#include "target/ConnectionManager.h"

namespace limsbridge {

namespace {

const QString kSeparator = QStringLiteral("~");
const QString kRoot = QStringLiteral("QORROOT");

QString indexKey(const QString& facility, const QString& location, const QString& test)
{
    QString key;
    key.reserve(facility.size() + location.size() + test.size() + 2);
    key += facility;
    key += QChar(0x1F);
    key += location;
    key += QChar(0x1F);
    key += test;
    return key;
}

qint16 integer16Or(const QVariant& value, qint16 fallback)
{
    if (!Vb::IsNumeric(value))
        return fallback;
    return Vb::CInt(DbValue::textOf(value)).value_or(fallback);
}

qint32 integer32Of(const QVariant& value)
{
    bool ok = false;
    const double number = DbValue::textOf(value).toDouble(&ok);
    if (!ok || number < -2147483648.0 || number > 2147483647.0)
        throw RaisedError(13, QStringLiteral("Type mismatch"));
    return qint32(std::nearbyint(number));
}

} // namespace

CommonTypeVar::CommonTypeVar()
    : m_ignoreCase(IgnoreCaseEnabled())
{
}

CommonTypeVar::~CommonTypeVar() = default;

std::unique_ptr<DbConnection> CommonTypeVar::OpenMatcherConnection(const QString& facility) const
{
    try {
        ConnectionManager manager;
        if (!ConfigureConnectionManager(manager)) {
            if (MsgBoxHandler)
                MsgBoxHandler->QorMsgBox("Unable to init Vell OXMO Connection Manager", 48);
            return nullptr;
        }
        auto connection = std::make_unique<DbConnection>();
        if (facility == kRoot)
            manager.ConfigCnn4QORROOT(*connection);
        else
            manager.ConfigCnn4FACILITY(*connection, facility);
        connection->Open();
        return connection;
    } catch (const RaisedError&) {
        return nullptr;
    }
}

bool CommonTypeVar::ReadZuriVARU(CommonVarGatherer& myVarGatgerer, QStringList& LBID, QStringList& LBFFN,
                                 QStringList& LBXREF)
{
    m_indexValid = false;
    LBID = QStringList{QString()};
    LBFFN = QStringList{QString()};
    LBXREF = QStringList{QString()};
    try {
        {
            std::unique_ptr<DbConnection> root = OpenMatcherConnection(kRoot);
            if (!root)
                return false;
            if (!LoadSymbols(*root))
                return false;
        }
        m_variables = HashTable<std::shared_ptr<CommonTypeVarRec>>();
        m_variables.SetSize(qMax(1, 2 * myVarGatgerer.TotalVariable()), 0, 0);

        for (myVarGatgerer.MoveFirst(); !myVarGatgerer.EOF_Facility(); myVarGatgerer.MoveNext_Facility()) {
            const QString facility = myVarGatgerer.Current_Facility();
            std::unique_ptr<DbConnection> connection = OpenMatcherConnection(facility);
            if (!connection)
                continue;
            for (; !myVarGatgerer.EOF_Variable(); myVarGatgerer.MoveNext_Variable())
                ExpandVaridToRecord(facility, myVarGatgerer.Current_Variable(), *connection);

            DbRecordset settings("SELECT * from \"SETTINGS\" where Setting like 'LBXREF%'", *connection);
            for (; !settings.Eof(); settings.MoveNext()) {
                const QString setting = DbValue::textOf(settings.Field("Setting"));
                const QString value = DbValue::textOf(settings.Field("CurValue"));
                if (setting.size() < 8 || value.contains("\\CLB:"))
                    continue;
                LBFFN << facility;
                LBID << setting.mid(7);
                LBXREF << value;
            }
        }
        return true;
    } catch (const RaisedError&) {
        return false;
    }
}

bool CommonTypeVar::LoadSymbols(DbConnection& rootConnection)
{
    try {
        for (int k = 0; k <= kMaxSymbols; ++k) {
            m_symbols[k].clear();
            m_allowNumeric[k] = 0;
        }
        DbRecordset rows("SELECT * FROM SYMBOLS ORDER BY ID", rootConnection);
        int k = 1;
        for (; !rows.Eof(); rows.MoveNext()) {
            const QVariant symbol = rows.Field("Symbol");
            if (DbValue::isNull(symbol))
                continue;
            if (k > kMaxSymbols)
                return false;
            m_allowNumeric[k] = integer16Or(rows.Field("AllowNumeric"), 0);
            m_symbols[k] = DbValue::textOf(symbol).trimmed();
            ++k;
        }
        return true;
    } catch (const RaisedError&) {
        return false;
    }
}

void CommonTypeVar::ExpandVaridToRecord(const QString& facility, qint32 variableId, DbConnection& connection)
{
    const QString key = (facility + kSeparator + QString::number(variableId)).toUpper();
    try {
        if (m_variables.Exists(key))
            return;
        DbRecordset row("select varid,varnum,name,vartype,units,decplaces,description,SOURCE_CNN_APPROVAL,lims_loc,"
                        "lims_test,lims_ud1,lims_ud2,lims_ud3,allowsymbol,limit_to_list,list from vardesc where "
                        "varid=" + QString::number(variableId),
                        connection);
        if (row.Eof())
            return;
        auto record = std::make_shared<CommonTypeVarRec>();
        const QString type = DbValue::textOf(row.Field("vartype"));
        record->setVartype(type);
        record->setId(variableId);
        const QVariant approval = row.Field("SOURCE_CNN_APPROVAL");
        record->setDataApproval(DbValue::isNull(approval) ? 0 : integer32Of(approval));
        record->setDecPlaces(row.Field("decplaces"));
        record->setDesc(row.Field("description"));
        record->setFacilID(facility);
        record->setName(row.Field("name"));
        record->setNumber(integer32Of(row.Field("varnum")));
        record->setUnits(row.Field("units"));
        record->setLimsLocation(row.Field("lims_loc"));
        record->setLimsTest(row.Field("lims_test"));
        record->setLimsUD1(row.Field("lims_ud1"));
        record->setLimsUD2(row.Field("lims_ud2"));
        record->setLimsUD3(row.Field("lims_ud3"));

        const QVariant allowSymbol = row.Field("allowsymbol");
        if (Vb::IsNumeric(allowSymbol) && DbValue::textOf(allowSymbol).toDouble() == -1) {
            record->setAllowSymbol(true);
            LoadSymbolRules(*record, variableId, connection);
        } else {
            record->setAllowSymbol(false);
        }

        if (VarTypeFunctions::IsTypeTextParameter(type)) {
            const QVariant limit = row.Field("limit_to_list");
            record->setLimitToLIST(Vb::IsNumeric(limit) && DbValue::textOf(limit).toDouble() != 0);
            if (record->gLimitToLIST())
                record->LoadTextListHash(DbValue::textOf(row.Field("list")));
        } else {
            record->setLimitToLIST(false);
        }
        m_variables.Add(key, record);
    } catch (const RaisedError& error) {
        LogActivity("Error in Sub ExpandVaridToRecord(VarId = " + QString::number(variableId) + "): Error " +
                        QString::number(error.number()) + "  " + error.description(),
                    0);
    }
}

void CommonTypeVar::LoadSymbolRules(CommonTypeVarRec& record, qint32 variableId, DbConnection& connection) const
{
    try {
        DbRecordset row("select symbolrule1,symbolrule2,symbolrule3,symbolrule4,symbolrule5,symbolrule6,symbolrule7,"
                        "symbolrule8,symbolrule9,symbolrule10,symbolfactor1,symbolfactor2,symbolfactor3,"
                        "symbolfactor4,symbolfactor5,symbolfactor6,symbolfactor7,symbolfactor8,symbolfactor9,"
                        "symbolfactor10 from vardesc where varid=" + QString::number(variableId),
                        connection);
        if (row.Eof())
            return;
        for (int i = 1; i <= 10; ++i) {
            const qint16 rule = integer16Or(row.Field("symbolrule" + QString::number(i)), 1);
            const QVariant factorValue = row.Field("symbolfactor" + QString::number(i));
            const double factor = Vb::IsNumeric(factorValue) ? DbValue::textOf(factorValue).toDouble() : 0.0;
            if (!m_symbols[i].isEmpty())
                record.AddSymbol(m_symbols[i], m_allowNumeric[i] == 1, rule, factor);
        }
    } catch (const RaisedError&) {
        // Rules added so far stay; the variable still matches.
    }
}

std::shared_ptr<CommonTypeVarRec> CommonTypeVar::GetVarRecord(const QString& facility, qint32 id) const
{
    try {
        return m_variables.Item((facility + kSeparator + QString::number(id)).toUpper());
    } catch (const RaisedError&) {
        return nullptr;
    }
}

void CommonTypeVar::addRecord(const std::shared_ptr<CommonTypeVarRec>& record)
{
    m_variables.setItem((record->gFacilID() + kSeparator + QString::number(record->gID())).toUpper(), record);
    m_indexValid = false;
}

void CommonTypeVar::AppendMatch(QString& result, const QString& facility, const QString& id)
{
    if (!result.isEmpty())
        result += '\t';
    result += facility;
    result += kSeparator;
    result += id;
}

bool CommonTypeVar::ListContains(const QString& list, const QString& item, const QString& separator)
{
    if (separator.isEmpty())
        return list == item;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = list.indexOf(separator, start);
        const QStringView piece = QStringView(list).mid(start, end < 0 ? -1 : end - start);
        if (piece == item)
            return true;
        if (end < 0)
            return false;
        start = end + separator.size();
    }
}

void CommonTypeVar::ensureIndex() const
{
    if (m_indexValid)
        return;
    m_entries.clear();
    m_index.clear();
    if (m_variables.Count() > 0) {
        const QList<QString> keys = m_variables.Keys();
        const QList<std::shared_ptr<CommonTypeVarRec>> records = m_variables.Values();
        m_entries.reserve(size_t(keys.size()));
        for (qsizetype i = 0; i < keys.size(); ++i) {
            const qsizetype tilde = keys[i].indexOf(kSeparator);
            Entry entry;
            entry.facility = tilde < 0 ? keys[i] : keys[i].left(tilde);
            entry.id = tilde < 0 ? QString() : keys[i].mid(tilde + 1);
            entry.record = records[i];
            if (entry.record) {
                entry.location = fold(entry.record->gLimsLocation());
                entry.test = fold(entry.record->gLimsTest());
                entry.ud1 = fold(entry.record->gLimsUd1());
            }
            const int position = int(m_entries.size());
            if (entry.record) {
                for (const QString& piece : entry.test.split(kSeparator)) {
                    std::vector<int>& positions = m_index[indexKey(entry.facility, entry.location, piece)];
                    // A test listed twice must not list the variable twice.
                    if (positions.empty() || positions.back() != position)
                        positions.push_back(position);
                }
            }
            m_entries.push_back(std::move(entry));
        }
    }
    m_indexValid = true;
}

QString CommonTypeVar::indexedLookup(const QString& facility, const QString& location, const QString& test,
                                     const QString* ud1) const
{
    ensureIndex();
    QString result;
    const auto found = m_index.constFind(indexKey(facility, location, test));
    if (found == m_index.cend())
        return result;
    for (int position : *found) {
        const Entry& entry = m_entries[size_t(position)];
        if (ud1 && !ud1->isEmpty() && *ud1 != entry.ud1)
            continue;
        AppendMatch(result, entry.facility, entry.id);
    }
    return result;
}

QString CommonTypeVar::walk(const QString& facility, const Predicate& matches) const
{
    QString result;
    try {
        if (m_variables.Count() == 0)
            return result;
        const QList<QString> keys = m_variables.Keys();
        for (const QString& key : keys) {
            const qsizetype tilde = key.indexOf(kSeparator);
            const QString keyFacility = tilde < 0 ? key : key.left(tilde);
            if (keyFacility != facility)
                continue;
            const std::shared_ptr<CommonTypeVarRec> record = m_variables.Item(key);
            if (record && matches(*record))
                AppendMatch(result, keyFacility, tilde < 0 ? QString() : key.mid(tilde + 1));
        }
    } catch (const RaisedError&) {
        return QString();
    }
    return result;
}

QString CommonTypeVar::GetVarFromLocTestL(const QString& facility, const QString& aLIMS_Loc,
                                          const QString& aLIMS_TestL, const QString& aSeparator) const
{
    const QString location = fold(aLIMS_Loc);
    const QString test = fold(aLIMS_TestL);
    const bool tracing = Logger && Logger->Verbosity() >= 9;
    if (m_indexedLookups && !tracing && aSeparator == kSeparator)
        return indexedLookup(facility, location, test, nullptr);
    return walk(facility, [&](const CommonTypeVarRec& record) {
        const QString recordLocation = fold(record.gLimsLocation());
        const QString recordTest = fold(record.gLimsTest());
        if (tracing)
            Logger->WriteLog("TargetLIMSLOC=" + recordLocation + "  TargetLimsTest=" + recordTest, 9);
        return location == recordLocation && ListContains(recordTest, test, aSeparator);
    });
}

QString CommonTypeVar::GetVarFromLocTestLud1(const QString& facility, const QString& aLIMS_Loc,
                                             const QString& aLIMS_TestL, const QString& aLIMS_Ud1,
                                             const QString& aSeparator) const
{
    const QString location = fold(aLIMS_Loc);
    const QString test = fold(aLIMS_TestL);
    const QString ud1 = fold(aLIMS_Ud1);
    if (m_indexedLookups && aSeparator == kSeparator)
        return indexedLookup(facility, location, test, &ud1);
    return walk(facility, [&](const CommonTypeVarRec& record) {
        if (location != fold(record.gLimsLocation()) || !ListContains(fold(record.gLimsTest()), test, aSeparator))
            return false;
        return ud1.isEmpty() || ud1 == fold(record.gLimsUd1());
    });
}

QString CommonTypeVar::GetVarFromLoc(const QString& facility, const QString& aLIMS_Loc) const
{
    const QString location = fold(aLIMS_Loc);
    return walk(facility, [&](const CommonTypeVarRec& r) { return location == fold(r.gLimsLocation()); });
}

QString CommonTypeVar::GetVarFromLocTest(const QString& facility, const QString& aLIMS_Loc,
                                         const QString& aLIMS_Test) const
{
    try {
        const QString location = m_ignoreCase ? aLIMS_Loc.trimmed().toUpper() : aLIMS_Loc;
        const QString test = m_ignoreCase ? aLIMS_Test.trimmed().toUpper() : aLIMS_Test;
        return walk(facility, [&](const CommonTypeVarRec& r) {
            return location == fold(r.gLimsLocation()) && test == fold(r.gLimsTest());
        });
    } catch (const RaisedError& error) {
        if (Logger)
            Logger->WriteLog("Error in GetVarFromLocTest:" + QString::number(error.number()) + " - " +
                                 error.description(),
                             0);
        return QString();
    }
}

QString CommonTypeVar::GetVarFromLocTestUd1(const QString& facility, const QString& aLIMS_Loc,
                                            const QString& aLIMS_Test, const QString& aLIMS_Ud1) const
{
    const QString location = fold(aLIMS_Loc), test = fold(aLIMS_Test), ud1 = fold(aLIMS_Ud1);
    return walk(facility, [&](const CommonTypeVarRec& r) {
        return location == fold(r.gLimsLocation()) && test == fold(r.gLimsTest()) && ud1 == fold(r.gLimsUd1());
    });
}

QString CommonTypeVar::GetVarFromLocTestUd2(const QString& facility, const QString& aLIMS_Loc,
                                            const QString& aLIMS_Test, const QString& aLIMS_Ud2) const
{
    const QString location = fold(aLIMS_Loc), test = fold(aLIMS_Test), ud2 = fold(aLIMS_Ud2);
    return walk(facility, [&](const CommonTypeVarRec& r) {
        return location == fold(r.gLimsLocation()) && test == fold(r.gLimsTest()) && ud2 == fold(r.gLimsUd2());
    });
}

QString CommonTypeVar::GetVarFromLocTestUd1Ud2(const QString& facility, const QString& aLIMS_Loc,
                                               const QString& aLIMS_Test, const QString& aLIMS_Ud1,
                                               const QString& aLIMS_Ud2) const
{
    const QString location = fold(aLIMS_Loc), test = fold(aLIMS_Test);
    const QString ud1 = fold(aLIMS_Ud1), ud2 = fold(aLIMS_Ud2);
    return walk(facility, [&](const CommonTypeVarRec& r) {
        return location == fold(r.gLimsLocation()) && test == fold(r.gLimsTest()) && ud1 == fold(r.gLimsUd1()) &&
               ud2 == fold(r.gLimsUd2());
    });
}

QString CommonTypeVar::GetVarFromLocTestUd1Ud2Ud3(const QString& facility, const QString& aLIMS_Loc,
                                                  const QString& aLIMS_Test, const QString& aLIMS_Ud1,
                                                  const QString& aLIMS_Ud2, const QString& aLIMS_Ud3) const
{
    const QString location = fold(aLIMS_Loc), test = fold(aLIMS_Test);
    const QString ud1 = fold(aLIMS_Ud1), ud2 = fold(aLIMS_Ud2), ud3 = fold(aLIMS_Ud3);
    return walk(facility, [&](const CommonTypeVarRec& r) {
        return location == fold(r.gLimsLocation()) && test == fold(r.gLimsTest()) && ud1 == fold(r.gLimsUd1()) &&
               ud2 == fold(r.gLimsUd2()) && ud3 == fold(r.gLimsUd3());
    });
}

} // namespace limsbridge
