// The process-wide objects and values that startup creates and the whole
// program uses. They are plain pointers owned by the startup sequence (or by a
// test that sets them up); null until then.
#pragma once

#include <QString>

namespace limsbridge {

class QORLoggerTXT;
class QORmsgBoxHandler;
class QORConfiguration;
class NetInfo;

extern QORLoggerTXT* Logger;
extern QORmsgBoxHandler* MsgBoxHandler;
extern QORConfiguration* Config;
extern NetInfo* HostNetInfo;
extern bool ServiceMode;
//! The plant database's SQL dialect: 1 Oracle, 2 SQL Server (set when a connection manager is configured).
extern qint16 TargetDbType;

//! The CSV settings loaded once at startup from the "CSV" keys.
struct CsvSettings {
    bool CsvOutputEnabled = false;
    bool CsvInputEnabled = false;
    QString CsvOutPath;
    QString CsvOutFileName;
    bool CsvOutOverwrite = false;
    bool CsvOutScadaStat = false;
    QString CsvInPath;
    QString CsvInFileName;
    bool CsvExportEnabled = false;
    QString CsvExpUrl;
    QString CsvExpUser;
    QString CsvExpPassword;
    QString CsvExpProxy;
    QString CsvExpPlant;
    QString CsvExpPlantId;
};
extern CsvSettings Csv;

} // namespace limsbridge
