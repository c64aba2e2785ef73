// The texts the source reader builds itself: the laboratory database's OLE DB
// connection string for each database kind, and the date literals that take
// the place of the "#SD#" and "#ED#" placeholders in the user's query. They
// are free of state so that the reader, the connection-string viewer and the
// tests all get the same text.
#pragma once

#include <QDateTime>
#include <QString>

namespace limsbridge::SourceQueryText {

//! Database kinds of the laboratory source, as "K52907\DB_CONN_DBMS_TYPE" holds them.
inline constexpr qint16 kOracle = 1;
inline constexpr qint16 kSqlServer = 2;
inline constexpr qint16 kAccess = 3;

//! What stands in a connection string instead of the password when it is shown.
inline constexpr const char* kPasswordMask = "###";

//! The connection string for a database kind (empty for an unknown kind). The
//! database name is not used for Oracle and names the workgroup file for Access.
QString BuildSourceConnectionString(qint16 kind, const QString& provider, const QString& source,
                                    const QString& name, const QString& user, const QString& password,
                                    const QString& customization);

//! " TO_DATE('05-Mar-2024 01:30:00 PM', 'dd-Mon-yyyy HH:MI:SS AM') ", with a blank
//! on each side; English month names and AM/PM whatever the machine's locale.
QString OracleDateLiteral(const QDateTime& date);
//! "'2024-03-05 13:30:00'".
QString SqlServerDateLiteral(const QDateTime& date);
//! "#2024-03-05 13:30:00#".
QString AccessDateLiteral(const QDateTime& date);
//! The literal of the kind's dialect; empty for an unknown kind.
QString DateLiteral(qint16 kind, const QDateTime& date);

//! Replaces every "#SD#" by the start literal, then every "#ED#" by the end
//! literal; the placeholders are matched exactly, letter case included.
QString ReplaceDatePlaceholders(const QString& query, const QString& startLiteral, const QString& endLiteral);

} // namespace limsbridge::SourceQueryText
