// One error reported by a database driver, as the connection's error list keeps
// it: a number and a description, plus the driver's own codes when it gave any.
#pragma once

#include <QString>

class QSqlError;

namespace limsbridge {

enum class DbDriverKind { None, PostgreSql, Sqlite, Odbc };

struct DbError {
    long Number = 0;
    QString Description;
    //! The five-character SQLSTATE when the driver reported one (PostgreSQL, ODBC).
    QString SQLState;
    //! The driver's native error code as text (SQLite result code, ODBC native error).
    QString NativeError;

    // Numbers of failures the adapter detects itself. Where ADO has a number for
    // the same failure we use it, so log lines read the same on every platform.
    static constexpr long InvalidArgument = 3001;  // bad parameter, type or value
    static constexpr long NoCurrentRecord = 3021;  // the cursor is before the first or after the last row
    static constexpr long NotSupported = 3251;     // the operation is not possible on this recordset or driver
    static constexpr long ItemNotFound = 3265;     // no field or parameter of that name or position
    static constexpr long ProviderNotFound = 3706; // unknown Provider, or its Qt driver is not installed
    static constexpr long ObjectClosed = 3704;     // the recordset is closed
    static constexpr long ConnectionClosed = 3709; // the connection is closed or gone
    //! The row to change is no longer there (the statement's condition meets no row).
    static constexpr long RowNotFound = -2147217864;
    //! A driver failure without a code of its own (refused connection, wrong password, lost server).
    static constexpr long DriverFailure = -2147467259;

    //! The number for a driver's error: PostgreSQL's SQLSTATE packed six bits per
    //! character as the server does internally, a numeric native code as it is
    //! (SQLite, ODBC), DriverFailure when there is no code.
    static long numberFor(DbDriverKind driver, const QString& nativeCode);

    //! Turns a Qt driver error into our form; context, when given, is put in front
    //! of the driver's text ("Cannot connect to …: ").
    static DbError fromSqlError(DbDriverKind driver, const QSqlError& error, const QString& context = {});
};

} // namespace limsbridge
