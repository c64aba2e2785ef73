#include "source/SourceQueryText.h"

#include "VersionInfo.h"

#include <QLocale>

namespace limsbridge::SourceQueryText {

namespace {

// The laboratory servers read English month names and AM/PM; the machine's own
// locale must not leak into the SQL text.
const QLocale& englishLocale() {
    static const QLocale locale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

QString isoText(const QDateTime& date) {
    return date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

QString BuildSourceConnectionString(qint16 kind, const QString& provider, const QString& source,
                                    const QString& name, const QString& user, const QString& password,
                                    const QString& customization) {
    const QString tail =
        "OLE DB Services =-2;Application Name=" + QString::fromUtf8(VersionInfo::ProductName) + ";" +
        customization;
    switch (kind) {
    case kOracle:
        return "Provider=" + provider + ";Persist Security Info=False;Data Source=" + source +
               ";User ID=" + user + ";Password=" + password + ";" + tail;
    case kSqlServer:
        return "Provider=" + provider + ";Persist Security Info=False;Data Source=" + source +
               ";Initial Catalog=" + name + ";User ID=" + user + ";Password=" + password + ";" + tail;
    case kAccess:
        return "Provider=" + provider + ";Data Source=" + source + ";Jet OLEDB:System Database=" + name +
               ";User Id=" + user + ";Password=" + password + ";" + customization;
    default:
        return QString();
    }
}

QString OracleDateLiteral(const QDateTime& date) {
    return " TO_DATE('" + englishLocale().toString(date, QStringLiteral("dd-MMM-yyyy hh:mm:ss AP")) +
           "', 'dd-Mon-yyyy HH:MI:SS AM') ";
}

QString SqlServerDateLiteral(const QDateTime& date) {
    return '\'' + isoText(date) + '\'';
}

QString AccessDateLiteral(const QDateTime& date) {
    return '#' + isoText(date) + '#';
}

QString DateLiteral(qint16 kind, const QDateTime& date) {
    switch (kind) {
    case kOracle:
        return OracleDateLiteral(date);
    case kSqlServer:
        return SqlServerDateLiteral(date);
    case kAccess:
        return AccessDateLiteral(date);
    default:
        return QString();
    }
}

QString ReplaceDatePlaceholders(const QString& query, const QString& startLiteral,
                                const QString& endLiteral) {
    QString text = query;
    text.replace(QStringLiteral("#SD#"), startLiteral, Qt::CaseSensitive);
    text.replace(QStringLiteral("#ED#"), endLiteral, Qt::CaseSensitive);
    return text;
}

} // namespace limsbridge::SourceQueryText
