#include "CoreKeys.h"

#include "QORConfiguration.h"
#include "VersionInfo.h"

namespace limsbridge {

namespace {

constexpr CoreKey kCoreKeys[] = {
    {"OPTIONS", ""},
    {"OPTIONS\\INSTANCE_SERVICE_NAME", "", CoreDefault::ApplicationTitle},
    {"OPTIONS\\REFRESH_STATUS_SECONDS", "1"},
    {"OPTIONS\\REFRESH_LOG_SECONDS", "2"},
    {"OPTIONS\\REFRESH_LOGSIZE", "4096"},
    {"OPTIONS\\LOG_VERBOSITY", "0"},
    {"OPTIONS\\KEEP_LOGS_FOR", "30"},
    {"OPTIONS\\ENCRYPT_PROTECT_CONFIG", "NO"},
    {"OPTIONS\\PASSWORD_PROTECT_CONFIG", "NO"},
    {"OPTIONS\\PASSWORD_PROTECT_CONFIG_PASSWORD", "58203"},
    {"OPTIONS\\PASSWORD_PROTECT_INTERACTIVE_IMPORT", "NO"},
    {"OPTIONS\\DONT_OVERWRITE_OXMO", "NO"},
    {"OPTIONS\\AUTOMATED_IMPORT", ""},
    {"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE", ""},
    {"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\DAILY", "YES"},
    {"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\DAILY_HOUR", "0"},
    {"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\DAILY_MINUTE", "1"},
    {"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\HOURLY", "NO"},
    {"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\HOURLY_MINUTE", "1"},
    {"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\MINUTELY", "NO"},
    {"OPTIONS\\AUTOMATED_IMPORT\\SCHEDULE\\MINUTELY_MINUTE", "10"},
    {"OPTIONS\\AUTOMATED_IMPORT\\SUBMIT_CALC_REQUEST", "YES"},
    {"OPTIONS\\AUTOMATED_IMPORT\\REAL_OPERATION_MODE", "YES"},
    {"OPTIONS\\AUTOMATED_IMPORT\\DEFAULT_LAST_RUN", "", CoreDefault::Yesterday},
    {"OPTIONS\\AUTOMATED_IMPORT\\STARTDATE_SHIFT_MINUTE", "0"},
    {"OPTIONS\\PERFORMANCE\\THROTTLE", "FALSE"},
    {"OPTIONS\\PERFORMANCE\\POLL_WAIT", "500"},
    {"OPTIONS\\PERFORMANCE\\MSG_BEFORE", "TRUE"},
    {"OPTIONS\\PERFORMANCE\\MSG_AFTER", "TRUE"},
    {"OPTIONS\\NOIU\\ASKFORDATES\\HIDE_UI", "FALSE"},
    {"OPTIONS\\NOIU\\ASKFORDATES\\FIX_STARTDATE", "", CoreDefault::DayAgo},
    {"OPTIONS\\NOIU\\ASKFORDATES\\FIX_ENDDATE", "", CoreDefault::Now},
    {"OPTIONS\\NOIU\\LIMITFACILITY", ""},
    {"SOURCE", ""},
    {"SOURCE\\RECOVERY", ""},
    {"SOURCE\\RECOVERY\\ATTEMPTS", "6"},
    {"SOURCE\\RECOVERY\\SECONDS", "10"},
    {"SOURCE\\STATICCOMMONIMPORT", "FALSE"},
    {"SOURCE\\CACHE", ""},
    {"SOURCE\\CACHE\\ENABLED", "FALSE"},
    {"SOURCE\\CACHE\\LIMIT_BY_DATAPOINTS", "TRUE"},
    {"SOURCE\\CACHE\\LIMIT_BY_DAYS", "TRUE"},
    {"SOURCE\\CACHE\\LIMIT_BY_BYTES", "TRUE"},
    {"SOURCE\\CACHE\\LIMIT_BY_DATAPOINTS_SETPOINT", "60480"},
    {"SOURCE\\CACHE\\LIMIT_BY_DAYS_SETPOINT", "14"},
    {"SOURCE\\CACHE\\LIMIT_BY_BYTES_SETPOINT", "483840"},
    {"TARGET", ""},
    {"TARGET\\RECOVERY", ""},
    {"TARGET\\RECOVERY\\ATTEMPTS", "6"},
    {"TARGET\\RECOVERY\\SECONDS", "10"},
    {"ZURIVARU", ""},
    {"ZURIVARU\\ZURIVARU_CONNECTION_DBTYPE", "2"},
    {"ZURIVARU\\ZURIVARU_CONNECTION_PROVIDER", "SQLNCLI11"},
    {"ZURIVARU\\ZURIVARU_CONNECTION_DATASOURCE", "localhost\\qorsql"},
    {"ZURIVARU\\ZURIVARU_CONNECTION_CUSTOMIZATIONS", ""},
    {"ZURIVARU\\ZURIVARU_CONNECTION_TIMEOUT", "15"},
    {"ZURIVARU\\ZURIVARU_CONNECTION_COMMAND_TIMEOUT", "30"},
    {"ZURIVARU\\G2_SERVER_INTERFACE_ID", "0"},
    {"ZURIVARU\\G2_INDIRECT_TYPE", "FALSE"},
    {"ZURIVARU\\STOREONSTOPDATE", "NO"},
    {"CSV", ""},
    {"CSV\\CSV_OUTPUT", "NO"},
    {"CSV\\CSV_OUT_PATH", ""},
    {"CSV\\CSV_OUT_FILENAME", ""},
    {"CSV\\CSV_OUT_OVERWRITE", "NO"},
    {"CSV\\CSV_OUT_SCADA_STAT", "NO"},
    {"CSV\\CSV_INPUT", "NO"},
    {"CSV\\CSV_IN_PATH", ""},
    {"CSV\\CSV_IN_FILENAME", ""},
    {"CSV\\CSV_EXPORT", "NO"},
    {"CSV\\CSV_EXP_URL", ""},
    {"CSV\\CSV_EXP_USER", ""},
    {"CSV\\CSV_EXP_PWD", ""},
    {"CSV\\CSV_EXP_PROXY", ""},
    {"CSV\\CSV_EXP_PLANT", ""},
    {"CSV\\CSV_EXP_PLANT_ID", ""},
};

const QString kStoredDateFormat = QStringLiteral("MM-dd-yyyy HH:mm:ss");

} // namespace

std::span<const CoreKey> coreKeys()
{
    return kCoreKeys;
}

QString coreKeyDefault(const CoreKey& entry, const QDateTime& now)
{
    switch (entry.kind) {
    case CoreDefault::Fixed:
        return QString::fromUtf8(entry.defaultText);
    case CoreDefault::ApplicationTitle:
        return QString::fromUtf8(VersionInfo::Title);
    case CoreDefault::Yesterday:
        return QDateTime(now.date().addDays(-1), QTime(0, 0)).toString(kStoredDateFormat);
    case CoreDefault::DayAgo:
        return now.addDays(-1).toString(kStoredDateFormat);
    case CoreDefault::Now:
        return now.toString(kStoredDateFormat);
    }
    return {};
}

void RegisterCoreKeys(QORConfiguration& config, const QDateTime& now)
{
    for (const CoreKey& entry : kCoreKeys)
        config.DefineTree(QString::fromUtf8(entry.key), coreKeyDefault(entry, now));
}

} // namespace limsbridge
