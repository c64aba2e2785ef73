// A substitute plant database on a PostgreSQL server, for the tests, the
// benchmarks, the demo and lb-plantdb: installs db/target-postgres into a
// database and fills it through the qorroot helper functions (facilities,
// collectors, variables with their cross-references, symbols, time zones,
// users, lock dates), and reads rows back.
#pragma once

#include "PgTestServer.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <optional>

namespace limsbridge::testing {

//! One variable of a facility; texts left empty are stored as NULL.
struct PlantVariable {
    QString facility;
    QString name;
    QString vartype = "P";      //!< one-character type code
    QString limsLoc;
    QString limsTest;           //!< several tests separated by "~"
    QString limsUd1;
    QString limsUd2;
    QString limsUd3;
    int collector = 0;          //!< 0 = linked to no collector
    bool enabled = true;        //!< linked and enabled (g2_enabled = -1)
    QString units;
    int decplaces = 2;
    std::optional<int> approval;
    std::optional<int> varnum;  //!< defaults to the varid
    std::optional<int> locid;
    QString description;
};

class PlantDb {
public:
    //! Works in a scratch database through its superuser connection.
    explicit PlantDb(const ScratchDatabase& scratch);
    //! Works in the named database of a server (see createDatabase()).
    PlantDb(const PgServer& server, const QString& database);
    ~PlantDb();
    PlantDb(const PlantDb&) = delete;
    PlantDb& operator=(const PlantDb&) = delete;

    //! db/target-postgres/install.sql of the source tree, or the file (or the
    //! folder holding install.sql) named by LIMSBRIDGE_PLANTDB_SQL.
    static QString installScriptPath();

    //! Creates the database on the server (dropping an existing one first
    //! when asked) and opens the connection. Only for the server form.
    bool createDatabase(bool dropExisting = false);
    //! Runs install.sql with psql into the (empty) database.
    bool install(const QString& scriptPath = installScriptPath());

    bool addFacility(const QString& fileName, const QString& name);
    //! Returns the interface_id (the given one when not 0), or 0 on failure.
    int addCollector(const QString& name, int interfaceId = 0, int timeZoneId = 0,
                     const QString& luVersion = {}, bool enabled = true, const QString& writeAsUser = {});
    //! Returns the varid, or 0 on failure.
    int addVariable(const PlantVariable& variable);
    bool setSymbolRule(const QString& facility, int varid, int position, int rule, double factor = 0);
    bool setTextList(const QString& facility, int varid, const QStringList& items, bool limitToList = true);
    //! Returns the symbol's id, or 0 on failure.
    int addSymbol(const QString& symbol, int allowNumeric = 0);
    //! Returns the locid, or 0 on failure.
    int addLocation(const QString& facility, const QString& location, int parent = 0);
    bool setLockDate(const QString& facility, const QDateTime& lockDate);
    bool setSetting(const QString& facility, const QString& setting, const QString& value);
    bool addInfoColumn(const QString& facility, const QString& column, const QString& type = "varchar",
                       int length = 255);
    bool addTimeZone(int id, const QString& name);
    //! Biases in minutes west of UTC; null starts for a zone without daylight time.
    bool setTimeZoneBias(int id, int year, int biasStandard, int biasDaylight,
                         const QDateTime& startDaylight = {}, const QDateTime& startStandard = {});
    bool addUser(const QString& userName, const QString& password, const QString& userType = "Super");
    bool setLastRun(int interfaceId, const QString& facility, const QDateTime& lastRun);
    //! Creates (or updates) one login role with access to every schema.
    bool grantLogin(const QString& role, const QString& password);
    //! Logins QORDBA, QORROOT and one per facility, all with one password.
    bool grantLogins(const QString& password);

    //! Runs a statement; false with lastError() on failure.
    bool exec(const QString& sql);
    //! First column of the first row, or an invalid QVariant.
    QVariant scalar(const QString& sql);
    //! All rows, keyed by lower-case column name.
    QList<QVariantMap> rows(const QString& sql);

    const QString& lastError() const { return m_lastError; }
    const QString& database() const { return m_database; }
    const PgServer& server() const { return m_server; }
    //! "host:port/database", the Data Source form of the connection strings.
    QString dataSource() const;
    //! The Qt connection this object works through.
    const QString& connectionName() const { return m_connection; }

    //! SQL text literal: quotes doubled, NULL for a null string.
    static QString literal(const QString& text);
    //! Timestamp literal in wall-clock form, NULL for an invalid date-time.
    static QString literal(const QDateTime& when);

private:
    QVariant callScalar(const QString& sql, const QVariantList& values);
    bool openConnection();

    PgServer m_server;
    QString m_database;
    QString m_connection;
    bool m_ownsConnection = false;
    QString m_lastError;
};

} // namespace limsbridge::testing
