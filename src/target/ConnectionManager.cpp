#include "ConnectionManager.h"

#include "VersionInfo.h"
#include "core/AnsiCodePage.h"
#include "core/AppInfo.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "core/VbConvert.h"
#include "platform/DbConnection.h"
#include "platform/DbRecordset.h"
#include "platform/DbValue.h"
#include "platform/RaisedError.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <limits>

namespace limsbridge {

namespace {

const QString kPasswordFileName = QStringLiteral("tzpo.pzt");

// The password used when no password file exists, assembled from pieces so
// that it does not stand in the binary as one word.
QString builtInPassword()
{
    const QChar pieces[] = {u'v', u'e', u'l', u'o', u'x'};
    QString password;
    for (QChar piece : pieces)
        password += piece;
    return password;
}

QString parentFolder(const QString& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? path : path.left(slash);
}

bool fileExists(const QString& path)
{
    const QString trimmed = path.trimmed();
    return !trimmed.isEmpty() && QFileInfo(trimmed).isFile();
}

[[noreturn]] void typeMismatch()
{
    throw RaisedError(13, QStringLiteral("Type mismatch"));
}

qint16 toInteger16(const QString& text)
{
    const auto value = Vb::CInt(text);
    if (!value)
        typeMismatch();
    return *value;
}

qint32 toInteger32(const QString& text)
{
    const auto value = Vb::ToDouble(text);
    if (!value)
        typeMismatch();
    const double rounded = std::nearbyint(*value);
    if (rounded < std::numeric_limits<qint32>::min() || rounded > std::numeric_limits<qint32>::max())
        throw RaisedError(6, QStringLiteral("Overflow"));
    return qint32(rounded);
}

} // namespace

ConnectionManager::ConnectionManager()
{
    const QString home = App::Path();
    // A password file in the parent folder serves several installations; one
    // in the home folder serves this one. The file found is the file read.
    const QString candidates[] = {parentFolder(home) + "/" + kPasswordFileName, home + "/" + kPasswordFileName};
    for (const QString& candidate : candidates) {
        if (fileExists(candidate)) {
            m_password = GetPwdFromFile(candidate);
            return;
        }
    }
    m_password = builtInPassword();
    m_databaseType = 1;
    m_persistSecurityInfo = false;
    m_templateString.clear();
}

QString ConnectionManager::DecodePasswordLine(const QByteArray& line)
{
    QByteArray result;
    int shift = 2;
    for (qsizetype position = 32; position + 55 < line.size(); position += 6) {
        result += char(static_cast<unsigned char>(line[position - 1]) - shift);
        shift = shift == 6 ? 1 : shift + 1;
    }
    return Ansi::toUnicode(result);
}

QByteArray ConnectionManager::EncodePasswordLine(const QString& password)
{
    const QByteArray clear = Ansi::fromUnicode(password);
    // Carried characters sit at 32, 38, 44, ... and the line must run 55
    // characters past the last one.
    QByteArray line(32 + 6 * clear.size() + 55, 'Q');
    for (qsizetype i = 0; i < line.size(); ++i)
        line[i] = char('A' + (i * 7) % 26);
    int shift = 2;
    for (qsizetype i = 0; i < clear.size(); ++i) {
        line[31 + 6 * i] = char(static_cast<unsigned char>(clear[i]) + shift);
        shift = shift == 6 ? 1 : shift + 1;
    }
    return line;
}

QString ConnectionManager::GetPwdFromFile(const QString& path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (Logger)
            Logger->WriteLog("Error '" + file.errorString() + "' occured in GetPwdFromFile", 0);
        return QString();
    }
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return DecodePasswordLine(line);
}

bool ConnectionManager::Init(qint16 databaseType, const QString& provider, const QString& dataSource,
                             const QString& customization, bool persistSecurityInfo, qint32 connectionTimeout,
                             qint32 commandTimeout)
{
    if (databaseType != 1 && databaseType != 2)
        return false;
    const QString trimmedProvider = provider.trimmed();
    const QString trimmedSource = dataSource.trimmed();
    if (trimmedProvider.isEmpty() || trimmedSource.isEmpty())
        return false;
    m_databaseType = databaseType;
    m_dataSource = trimmedSource;
    m_provider = trimmedProvider;
    m_customization = customization.trimmed();
    m_connectionTimeout = connectionTimeout;
    m_commandTimeout = commandTimeout;
    m_persistSecurityInfo = persistSecurityInfo;
    return true;
}

QString ConnectionManager::LookupFacilityDataSource(const QString& facility) const
{
    try {
        return m_dataSourceOverrides.Item(facility);
    } catch (const RaisedError&) {
        return QString();
    }
}

QString ConnectionManager::BuildConnectionString(const QString& user)
{
    const QString schema = user.toUpper();
    QString dataSource = m_dataSource;
    if (schema != QLatin1String("QORROOT") && m_dataSourceReplace)
        dataSource = LookupFacilityDataSource(schema);
    const QString psi = m_persistSecurityInfo ? QStringLiteral("Persist Security Info=True")
                                              : QStringLiteral("Persist Security Info=False");
    const QString tail = ";OLE DB Services =-2;Application Name=" + QString::fromUtf8(VersionInfo::ProductName) +
                         ";" + m_customization;
    const QString provider = "Provider=" + m_provider + ";";
    switch (m_databaseType) {
    case 1:
        m_templateString =
            provider + "Data Source=" + dataSource + ";" + psi + ";User ID=@@@;Password=###" + tail;
        return provider + psi + ";Data Source=" + dataSource + ";User ID=" + schema + ";Password=" + m_password +
               tail;
    case 2:
        m_templateString = provider + "Data Source=" + dataSource + ";" + psi +
                           ";Initial Catalog=@@@;User ID=QORDBA;Password=###" + tail;
        return provider + psi + ";Data Source=" + dataSource + ";Initial Catalog=" + schema +
               ";User ID=QORDBA;Password=" + m_password + tail;
    default:
        return QString();
    }
}

void ConnectionManager::configure(DbConnection& connection, const QString& user)
{
    try {
        connection.setCursorLocation(DbConnection::CursorLocation::Client);
        if (m_databaseType == 1 || m_databaseType == 2)
            connection.setDialect(static_cast<SqlDialect>(m_databaseType));
        connection.setConnectionString(BuildConnectionString(user));
        connection.setCommandTimeout(m_commandTimeout);
        connection.setConnectionTimeout(m_connectionTimeout);
    } catch (const RaisedError&) {
        // The connection stays partly configured; opening it reports the failure.
    }
}

void ConnectionManager::ConfigCnn4QORROOT(DbConnection& connection)
{
    configure(connection, QStringLiteral("QORROOT"));
}

void ConnectionManager::ConfigCnn4FACILITY(DbConnection& connection, const QString& facility)
{
    configure(connection, facility.trimmed());
}

bool ConnectionManager::RefreshDsHASH(DbConnection& rootConnection)
{
    if (!m_dataSourceReplace)
        return true;
    try {
        DbRecordset rows("select filename, directory from facility order by lower(filename)", rootConnection);
        m_dataSourceOverrides = HashTable<QString>();
        if (rows.RecordCount() == 0)
            return true;
        m_dataSourceOverrides.SetSize(2 * qint32(rows.RecordCount()), 0, 0);
        for (; !rows.Eof(); rows.MoveNext()) {
            m_dataSourceOverrides.Add(DbValue::textOf(rows.Field("filename")).toUpper(),
                                      DbValue::textOf(rows.Field("directory")).trimmed());
        }
        return true;
    } catch (const RaisedError&) {
        return false;
    }
}

bool ConfigureConnectionManager(ConnectionManager& manager)
{
    const qint16 type = toInteger16(Config->item("ZURIVARU\\ZURIVARU_CONNECTION_DBTYPE"));
    const QString provider = Config->item("ZURIVARU\\ZURIVARU_CONNECTION_PROVIDER");
    const QString dataSource = Config->item("ZURIVARU\\ZURIVARU_CONNECTION_DATASOURCE");
    const QString customization = Config->item("ZURIVARU\\ZURIVARU_CONNECTION_CUSTOMIZATIONS");
    const qint32 connectionTimeout = toInteger32(Config->item("ZURIVARU\\ZURIVARU_CONNECTION_TIMEOUT"));
    const qint32 commandTimeout = toInteger32(Config->item("ZURIVARU\\ZURIVARU_CONNECTION_COMMAND_TIMEOUT"));
    const bool result =
        manager.Init(type, provider, dataSource, customization, false, connectionTimeout, commandTimeout);
    TargetDbType = toInteger16(Config->item("ZURIVARU\\ZURIVARU_CONNECTION_DBTYPE"));
    return result;
}

} // namespace limsbridge
