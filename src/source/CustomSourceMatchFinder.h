// Turns one laboratory result into the list of plant variables it is written
// to, and lets the import walk that list. Every step leaves a trace line in the
// log at verbosity 9.
#pragma once

#include "core/HashTable.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace limsbridge {

class CommonTypeLimsMatchRec;
class CommonTypeVar;
class CommonTypeVarRec;

class CustomSourceMatchFinder {
public:
    CustomSourceMatchFinder();

    bool MatchExists(const CommonTypeVar& aCommonTypeVar, const std::shared_ptr<CommonTypeLimsMatchRec>& aCommonTypeLimsMatchRec,
                     const QString& aFacilID);
    //! Logbook cross-references are not matched: always false.
    bool MatchExistsLogbook(QString& LogBookID, const std::shared_ptr<CommonTypeLimsMatchRec>& aCommonTypeLimsMatchRec,
                            const QString& aFacilID, const QStringList& LBID, const QStringList& LBFFN,
                            const QStringList& LBXREF);
    bool EOF_() const;
    void MoveNext();
    std::shared_ptr<CommonTypeVarRec> CurrentTypeVarRec();
    qint32 RecordCound() const;
    //! The result of the source record for the current variable; null without one.
    QVariant getCustomResult() const;

private:
    void SetMatches(const QString& matchList);
    QString RemoveDuplicateMatches(const QString& matchList);
    void trace(const QString& line) const;

    std::shared_ptr<CommonTypeLimsMatchRec> m_record;
    const CommonTypeVar* m_matcher = nullptr;
    QString m_facility;
    std::shared_ptr<CommonTypeVarRec> m_current;
    QStringList m_matches;
    qint32 m_cursor = 0;
    qint32 m_count = 0;
    HashTable<bool> m_seenKeys;
};

} // namespace limsbridge
