// Turns the configured connection settings into connection strings for the
// plant database's root schema or one facility schema, and prepares database
// connections with them. It never opens a connection itself.
#pragma once

#include "core/HashTable.h"

#include <QString>

namespace limsbridge {

class DbConnection;

class ConnectionManager {
public:
    ConnectionManager();

    //! Validates and stores the settings; false (nothing changed) for an unknown
    //! database type or a blank provider or data source.
    bool Init(qint16 databaseType, const QString& provider, const QString& dataSource, const QString& customization,
              bool persistSecurityInfo, qint32 connectionTimeout, qint32 commandTimeout);

    bool DataSourceReplace() const { return m_dataSourceReplace; }
    void setDataSourceReplace(bool on) { m_dataSourceReplace = on; }
    QString password() const { return m_password; }
    qint32 CONNECTION_TIMEOUT_s() const { return m_connectionTimeout; }
    void setCONNECTION_TIMEOUT_s(qint32 seconds) { m_connectionTimeout = seconds; }
    qint32 COMMAND_TIMEOUT_s() const { return m_commandTimeout; }
    void setCOMMAND_TIMEOUT_s(qint32 seconds) { m_commandTimeout = seconds; }

    //! (Re)loads the per-facility data-source overrides from an open root connection.
    bool RefreshDsHASH(DbConnection& rootConnection);
    void ConfigCnn4QORROOT(DbConnection& connection);
    void ConfigCnn4FACILITY(DbConnection& connection, const QString& facility);

    //! The last connection string built, with the schema and password masked.
    QString TemplateCnnString() const { return m_templateString; }
    QString DB_PROVIDER() const { return m_provider; }
    QString DB_DATASOURCE() const { return m_dataSource; }
    QString DB_CUSTOMIZATION() const { return m_customization; }
    qint16 databaseType() const { return m_databaseType; }

    //! The full connection string for a schema user; also refreshes the template.
    QString BuildConnectionString(const QString& user);

    //! Decodes the first line of a password file.
    static QString DecodePasswordLine(const QByteArray& line);
    //! The first line of a password file that carries the password; the
    //! characters between the carried ones are filler.
    static QByteArray EncodePasswordLine(const QString& password);

private:
    QString LookupFacilityDataSource(const QString& facility) const;
    QString GetPwdFromFile(const QString& path) const;
    void configure(DbConnection& connection, const QString& user);

    qint16 m_databaseType = 0;
    QString m_provider;
    QString m_dataSource;
    QString m_customization;
    bool m_persistSecurityInfo = false;
    QString m_password;
    qint32 m_connectionTimeout = 0;
    qint32 m_commandTimeout = 0;
    bool m_dataSourceReplace = false;
    HashTable<QString> m_dataSourceOverrides;
    QString m_templateString;
};

//! Loads the target connection settings from the configuration into the manager
//! and sets TargetDbType. Raises error 13 for a setting that is not a number.
bool ConfigureConnectionManager(ConnectionManager& manager);

} // namespace limsbridge
