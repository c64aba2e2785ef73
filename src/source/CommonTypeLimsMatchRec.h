// One result row read from the laboratory source: where and what was sampled,
// when, the result with its units and status, and the additional fields the
// additional-info map collected for it. A plain record: the source reader
// fills it, the match finder and the import run only read it.
#pragma once

#include "core/HashTable.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <memory>

namespace limsbridge {

class CommonTypeLimsMatchRec {
public:
    QString LimsLocation;
    QString LimsTest;
    QDateTime LimsCollectedDate;
    QVariant LimsUD1;
    QVariant LimsUD2;
    QVariant LimsUD3;
    QVariant LimsUnits;
    QVariant LimsResult;
    QVariant LimsResultRAW;
    QVariant LimsResultFLAG;
    QVariant LimsResultSECONDARY;
    QVariant LimsResultStatus;
    QVariant LimsValidation;
    QVariant LimsValidatedBY;
    QVariant LimsAuditUser;
    QVariant LimsAuditTimeStamp;
    QVariant LimsSampleIdentifier;
    //! Upper-case source field id -> value text; null when the record carries
    //! no additional info. The table belongs to this record once stored here.
    std::shared_ptr<HashTable<QString>> LimsAINFO;
    QString LIMSResultComment;
};

} // namespace limsbridge
