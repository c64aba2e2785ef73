#include "AuditUser.h"

#include "VersionInfo.h"

namespace limsbridge {

QString WriteAsUser;

QString CurrentAuditUser() {
    if (!WriteAsUser.isEmpty())
        return WriteAsUser;
    return QStringLiteral("VIA_K") + QString::fromUtf8(VersionInfo::ProductName);
}

} // namespace limsbridge
