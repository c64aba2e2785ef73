#include "SqlDateLiteral.h"

#include "Globals.h"

#include <QLocale>

namespace limsbridge {

namespace {

constexpr qint16 kOracle = 1;
constexpr qint16 kSqlServer = 2;

} // namespace

QString SqlDateLiteral(const QDateTime& d) {
    switch (TargetDbType) {
    case kOracle: {
        // The database parses the month name and AM/PM in English, so the
        // text must not follow the host's locale.
        static const QLocale english(QLocale::English, QLocale::UnitedStates);
        return "TO_DATE('" + english.toString(d, QStringLiteral("dd-MMM-yyyy hh:mm:ss AP")) +
               "','dd-Mon-yyyy HH:MI:SS AM')";
    }
    case kSqlServer:
        return "'" + d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + "'";
    default:
        return QString();
    }
}

} // namespace limsbridge
