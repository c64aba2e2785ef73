// Writes a date-time as a literal of the plant database's SQL dialect, so that
// statements built as text compare and store dates the same way on both
// database types.
#pragma once

#include <QDateTime>
#include <QString>

namespace limsbridge {

//! By TargetDbType: 1 (Oracle) TO_DATE('22-Apr-2022 02:05:09 PM','dd-Mon-yyyy HH:MI:SS AM'),
//! 2 (SQL Server) '2022-04-22 14:05:09', any other type empty text.
//! Month names and AM/PM are English whatever the host's locale.
QString SqlDateLiteral(const QDateTime& d);

} // namespace limsbridge
