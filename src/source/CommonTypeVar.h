// The cross-reference matcher of one import run. It reads, for every variable
// the gatherer lists, the variable's definition with its symbol rules and text
// list, and then answers which variables a laboratory result belongs to.
//
// Answers come in the key order of the variable table. The lookups the import
// uses are served by an index built once after the read, so one lookup costs
// in proportion to its matches instead of to all variables of all facilities;
// the plain walk over the table remains for the other lookups, for a
// separator other than "~", and at verbosity 9, where the walk logs every
// variable it compares.
#pragma once

#include "core/HashTable.h"
#include "source/CommonTypeVarRec.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace limsbridge {

class CommonVarGatherer;
class DbConnection;

class CommonTypeVar {
public:
    CommonTypeVar();
    ~CommonTypeVar();

    //! Reads every gathered variable and the logbook cross-references; the
    //! three lists are filled from index 1 (index 0 holds nothing).
    bool ReadZuriVARU(CommonVarGatherer& myVarGatgerer, QStringList& LBID, QStringList& LBFFN, QStringList& LBXREF);

    std::shared_ptr<CommonTypeVarRec> GetVarRecord(const QString& facility, qint32 id) const;

    QString GetVarFromLocTest(const QString& facility, const QString& aLIMS_Loc, const QString& aLIMS_Test) const;
    QString GetVarFromLoc(const QString& facility, const QString& aLIMS_Loc) const;
    QString GetVarFromLocTestL(const QString& facility, const QString& aLIMS_Loc, const QString& aLIMS_TestL,
                               const QString& aSeparator) const;
    QString GetVarFromLocTestUd1(const QString& facility, const QString& aLIMS_Loc, const QString& aLIMS_Test,
                                 const QString& aLIMS_Ud1) const;
    QString GetVarFromLocTestUd2(const QString& facility, const QString& aLIMS_Loc, const QString& aLIMS_Test,
                                 const QString& aLIMS_Ud2) const;
    QString GetVarFromLocTestLud1(const QString& facility, const QString& aLIMS_Loc, const QString& aLIMS_TestL,
                                  const QString& aLIMS_Ud1, const QString& aSeparator) const;
    QString GetVarFromLocTestUd1Ud2(const QString& facility, const QString& aLIMS_Loc, const QString& aLIMS_Test,
                                    const QString& aLIMS_Ud1, const QString& aLIMS_Ud2) const;
    QString GetVarFromLocTestUd1Ud2Ud3(const QString& facility, const QString& aLIMS_Loc, const QString& aLIMS_Test,
                                       const QString& aLIMS_Ud1, const QString& aLIMS_Ud2,
                                       const QString& aLIMS_Ud3) const;

    bool IgnoreCase() const { return m_ignoreCase; }
    //! Off: every lookup walks the table (for comparisons and measurements).
    void setIndexedLookups(bool on) { m_indexedLookups = on; }
    //! Adds a record directly (tests and benchmarks without a database).
    void addRecord(const std::shared_ptr<CommonTypeVarRec>& record);

    static constexpr int kMaxSymbols = 15;

private:
    // One variable in table key order, with its comparison texts prepared.
    struct Entry {
        QString facility;
        QString id;
        QString location;
        QString test;
        QString ud1;
        std::shared_ptr<CommonTypeVarRec> record;
    };
    using Predicate = std::function<bool(const CommonTypeVarRec&)>;

    std::unique_ptr<DbConnection> OpenMatcherConnection(const QString& facility) const;
    void ExpandVaridToRecord(const QString& facility, qint32 variableId, DbConnection& connection);
    bool LoadSymbols(DbConnection& rootConnection);
    void LoadSymbolRules(CommonTypeVarRec& record, qint32 variableId, DbConnection& connection) const;
    static void AppendMatch(QString& result, const QString& facility, const QString& id);
    static bool ListContains(const QString& list, const QString& item, const QString& separator);

    QString fold(const QString& text) const { return m_ignoreCase ? text.toUpper() : text; }
    QString walk(const QString& facility, const Predicate& matches) const;
    void ensureIndex() const;
    QString indexedLookup(const QString& facility, const QString& location, const QString& test, const QString* ud1) const;

    HashTable<std::shared_ptr<CommonTypeVarRec>> m_variables;
    bool m_ignoreCase = false;
    bool m_indexedLookups = true;
    QString m_symbols[kMaxSymbols + 1];
    qint16 m_allowNumeric[kMaxSymbols + 1] = {};

    mutable bool m_indexValid = false;
    mutable std::vector<Entry> m_entries;
    //! facility, location and one test of the "~" list -> entry positions, ascending.
    mutable QHash<QString, std::vector<int>> m_index;
};

} // namespace limsbridge
