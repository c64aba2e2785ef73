#include "CustomSourceMatchFinder.h"

#include "CommonTypeLimsMatchRec.h"
#include "CommonTypeVar.h"
#include "CommonTypeVarRec.h"
#include "core/Globals.h"
#include "core/QORLoggerTXT.h"
#include "platform/DbValue.h"

namespace limsbridge {

namespace {
constexpr int kTraceLevel = 9;

bool tracing()
{
    return Logger && Logger->Verbosity() >= kTraceLevel;
}
} // namespace

// One finder serves one source record, which rarely matches more than a
// handful of variables: a small table is enough.
CustomSourceMatchFinder::CustomSourceMatchFinder() : m_seenKeys(16, 16, 16)
{
}

void CustomSourceMatchFinder::trace(const QString& line) const
{
    Logger->WriteLog(line, kTraceLevel);
}

bool CustomSourceMatchFinder::MatchExists(const CommonTypeVar& aCommonTypeVar,
                                          const std::shared_ptr<CommonTypeLimsMatchRec>& aCommonTypeLimsMatchRec,
                                          const QString& aFacilID)
{
    if (tracing())
        trace("Begin MatchExists");
    m_record = aCommonTypeLimsMatchRec;
    m_matcher = &aCommonTypeVar;
    m_facility = aFacilID;

    const CommonTypeLimsMatchRec& record = *aCommonTypeLimsMatchRec;
    const QString ud1 = DbValue::textOf(record.LimsUD1);
    const QString result =
        ud1.isEmpty()
            ? aCommonTypeVar.GetVarFromLocTestL(aFacilID, record.LimsLocation, record.LimsTest, "~")
            : aCommonTypeVar.GetVarFromLocTestLud1(aFacilID, record.LimsLocation, record.LimsTest, ud1, "~");
    if (tracing())
        trace("MatchExists=" + result);
    if (result.isEmpty())
        return false;
    SetMatches(result);
    return true;
}

bool CustomSourceMatchFinder::MatchExistsLogbook(QString&, const std::shared_ptr<CommonTypeLimsMatchRec>&,
                                                 const QString&, const QStringList&, const QStringList&,
                                                 const QStringList&)
{
    return false;
}

void CustomSourceMatchFinder::SetMatches(const QString& matchList)
{
    const QString unique = RemoveDuplicateMatches(matchList);
    m_matches = unique.split('\t');
    m_count = qint32(m_matches.size());
}

QString CustomSourceMatchFinder::RemoveDuplicateMatches(const QString& matchList)
{
    QString kept;
    for (const QString& piece : matchList.split('\t')) {
        if (m_seenKeys.Exists(piece))
            continue;
        m_seenKeys.Add(piece, true);
        if (!kept.isEmpty())
            kept += '\t';
        kept += piece;
    }
    return kept;
}

bool CustomSourceMatchFinder::EOF_() const
{
    const bool atEnd = m_cursor >= m_count;
    if (tracing()) {
        trace("Begin EOF check");
        trace(QString("EOF=") + (atEnd ? "True" : "False"));
    }
    return atEnd;
}

void CustomSourceMatchFinder::MoveNext()
{
    if (tracing())
        trace("Begin MoveNext");
    ++m_cursor;
    m_current.reset();
    if (tracing())
        trace("MoveNext=" + QString::number(m_cursor));
}

std::shared_ptr<CommonTypeVarRec> CustomSourceMatchFinder::CurrentTypeVarRec()
{
    if (tracing())
        trace("Begin CurrentTypeVarRec");
    if (m_count == 0 || m_cursor >= m_count || !m_matcher)
        return nullptr;
    const QString& key = m_matches[m_cursor];
    const qsizetype tilde = key.indexOf('~');
    const QString facility = key.left(tilde);
    const QString id = key.mid(tilde + 1);
    m_current = m_matcher->GetVarRecord(facility, id.toInt());
    if (tracing())
        trace("CurrentTypeVarRec=" + facility + "~" + id);
    return m_current;
}

qint32 CustomSourceMatchFinder::RecordCound() const
{
    if (tracing()) {
        trace("Begin RecordCount");
        trace("RecordCount=" + QString::number(m_count));
    }
    return m_count;
}

QVariant CustomSourceMatchFinder::getCustomResult() const
{
    if (tracing())
        trace("Begin getCustomResult");
    if (!m_current || !m_record)
        return QVariant();
    if (tracing())
        trace("getCustomResult=" + DbValue::textOf(m_record->LimsResult));
    return m_record->LimsResult;
}

} // namespace limsbridge
