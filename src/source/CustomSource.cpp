#include "source/CustomSource.h"

#include "core/ActivityLog.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "core/VbConvert.h"
#include "platform/DbConnection.h"
#include "platform/RaisedError.h"
#include "source/CommonTypeGlobals.h"
#include "source/CommonTypeLimsMatchRec.h"
#include "source/SourceQueryText.h"

#include <QCoreApplication>

#include <exception>

namespace limsbridge {

namespace {

void writeLog(const QString& text, int level) {
    if (Logger)
        Logger->WriteLog(text, level);
}

QString configItem(const char* key) {
    if (!Config)
        throw RaisedError(91, QStringLiteral("The configuration is not loaded"));
    return Config->item(QString::fromLatin1(key));
}

// A time-out as a 16-bit number of seconds; text that is no such number keeps
// the driver's default rather than failing the connection for a typing error.
int timeoutSeconds(const char* key, int fallback) {
    const std::optional<qint16> seconds = Vb::CInt(configItem(key));
    return seconds ? int(*seconds) : fallback;
}

SqlDialect dialectOf(qint16 kind) {
    switch (kind) {
    case SourceQueryText::kOracle:
        return SqlDialect::Oracle;
    case SourceQueryText::kAccess:
        return SqlDialect::Access;
    default:
        return SqlDialect::SqlServer;
    }
}

// The switch is text; "TRUE"/"FALSE" in any case, and numbers (0 = false) as
// a Boolean conversion would read them.
std::optional<bool> booleanOf(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0)
        return false;
    if (const std::optional<double> number = Vb::ToDouble(trimmed))
        return *number != 0.0;
    return std::nullopt;
}

} // namespace

CustomSource::CustomSource() = default;

CustomSource::~CustomSource() {
    DestroyConnection();
}

void CustomSource::PrepareForNextFacility(const QString& strFacilName) {
    Q_UNUSED(strFacilName);
    m_holdLastRundate = false;
}

void CustomSource::ReadLIMSdata(bool& executionErrorOccured) {
    executionErrorOccured = true;
    try {
        if (!EnsureSourceConnection())
            return;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        // A value that reads as no Boolean leaves the switch as it was: the
        // read itself does not depend on it.
        if (const std::optional<bool> enabled = booleanOf(configItem("TARGET\\COMMENTWRITER\\ENABLED")))
            CommentWriterEnabled = *enabled;
        if (LoadResultRecords())
            executionErrorOccured = false;
    } catch (const std::exception&) {
        // The caller sees the failed read through the flag and retries.
    }
}

std::shared_ptr<CommonTypeLimsMatchRec> CustomSource::Get_LimsRec() const {
    if (EOF_LimsRec())
        return nullptr;
    return m_records[size_t(m_cursor)];
}

void CustomSource::DestroyConnection() {
    CloseSourceConnection();
    m_connection.reset();
}

QString CustomSource::LogCustomSourceQuery() const {
    return QStringLiteral("[SourceTag:] \t[SourceStat:] \t");
}

QString CustomSource::GenerateSourceConnString(bool MaskPassword) {
    return BuildSourceConnectionString(MaskPassword);
}

bool CustomSource::EnsureSourceConnection() {
    if (m_connection)
        return true;
    return OpenSourceConnection();
}

bool CustomSource::OpenSourceConnection() {
    auto connection = std::make_unique<DbConnection>();
    try {
        ConfigureSourceConnection(*connection);
        connection->Open();
    } catch (const RaisedError& error) {
        const DbError first = connection->firstErrorOr(error);
        LogActivity("Unable to Open Connection to database. Error : " + QString::number(first.Number) + " - " +
                        first.Description,
                    1);
        // The connection that did not open is not kept: the next read tries afresh.
        return false;
    }
    m_connection = std::move(connection);
    return true;
}

void CustomSource::CloseSourceConnection() {
    if (!m_connection)
        return;
    try {
        m_connection->Close();
    } catch (const std::exception&) {
        // A connection that cannot be closed cleanly is dropped all the same.
    }
}

void CustomSource::ConfigureSourceConnection(DbConnection& connection) {
    m_databaseKind = Vb::CInt(configItem("K52907\\DB_CONN_DBMS_TYPE")).value_or(0);
    connection.setDialect(dialectOf(m_databaseKind));
    connection.setCursorLocation(DbConnection::CursorLocation::Client);
    connection.setConnectionString(BuildSourceConnectionString(false));
    connection.setCommandTimeout(timeoutSeconds("K52907\\DB_CONN_COMMAND_TIMEOUT", 30));
    connection.setConnectionTimeout(timeoutSeconds("K52907\\DB_CONN_TIMEOUT", 15));
}

// The log line always shows the masked string: the log is read by people who
// must not learn the source's password from it.
QString CustomSource::BuildSourceConnectionString(bool maskPassword) {
    const qint16 kind = Vb::CInt(configItem("K52907\\DB_CONN_DBMS_TYPE")).value_or(0);
    const QString provider = configItem("K52907\\DB_CONN_OLE_DB_PROVIDER");
    const QString source = configItem("K52907\\DB_CONN_SOURCE");
    const QString name = configItem("K52907\\DB_CONN_NAME");
    const QString user = configItem("K52907\\DB_CONN_USERNAME");
    const QString customization = configItem("K52907\\DB_CONN_CUSTOMIZATION");
    const QString mask = QString::fromLatin1(SourceQueryText::kPasswordMask);
    const QString masked =
        SourceQueryText::BuildSourceConnectionString(kind, provider, source, name, user, mask, customization);
    writeLog(" Source Connection: " + masked, 5);
    if (maskPassword)
        return masked;
    return SourceQueryText::BuildSourceConnectionString(
        kind, provider, source, name, user, configItem("K52907\\DB_CONN_PASSWORD"), customization);
}

} // namespace limsbridge
