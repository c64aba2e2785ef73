#include "CustomConfiguration.h"

#include "core/QORConfiguration.h"

#include <array>

namespace limsbridge {

namespace {

struct KeyDefault {
    const char* key;
    const char* defaultText;
};

constexpr KeyDefault kSourceKeys[] = {
    {"K52907", ""},
    {"K52907\\TABLEOWNER", ""},
    {"K52907\\SOURCE_QUERY", ""},
    {"K52907\\IMPORTDATAAPP", "VAR"},
    {"K52907\\DB_CONN_SOURCE", ""},
    {"K52907\\DB_CONN_NAME", ""},
    {"K52907\\DB_CONN_USERNAME", ""},
    {"K52907\\DB_CONN_PASSWORD", ""},
    {"K52907\\DB_CONN_DBMS_TYPE", "2"},
    {"K52907\\DB_CONN_OLE_DB_PROVIDER", "SQLNCLI"},
    {"K52907\\DB_CONN_TIMEOUT", "15"},
    {"K52907\\DB_CONN_COMMAND_TIMEOUT", "30"},
    {"K52907\\DB_CONN_CUSTOMIZATION", ""},
    {"K52907\\TEMPLATE", "0"},
    {"K52907\\TEMPLATE_COUNT", "3"},
};

// One connection template; the fields follow the registration order of its keys.
struct ConnectionTemplate {
    const char* listName;
    const char* name;
    const char* source;
    const char* database;
    const char* user;
    const char* password;
    const char* dbmsType;
    const char* provider;
};

constexpr std::array<ConnectionTemplate, 3> kTemplates{{
    {"Source on Oracle Server", "Source on Oracle Server", "localhost", "ldms", "ReadOnly", "kljbvchx", "1",
     "OraOLEDB.Oracle"},
    {"Source on MS SQL Server", "Source on Microsoft SQL Server", "localhost", "LIMS", "ReadOnly", "kljbvchx", "2",
     "SQLNCLI"},
    {"Source on MS Access", "Source on Microsoft Access", "C:\\Database.mdb", "C:\\WorkFile.mdw", "", "", "3",
     "Microsoft.Jet.OLEDB.4.0"},
}};

struct CatalogueEntry {
    const char* id;
    const char* description;
};

constexpr CatalogueEntry kCatalogue[] = {
    {"ANALYSIS_START", "Date/Time of Analysis Start"},
    {"ANALYSIS_END", "Date/Time of Completion of Analysis"},
    {"ANALYSIS_METHOD", "Analysis Method"},
    {"ANALYZEDBY", "ID of the person that Analyzed sample"},
    {"APPROVEDDATE", "Approved Date"},
    {"LAB", "Lab"},
    {"EXTLAB_SAMPNUM", "External Lab Sample Number"},
    {"ORIGINAL_SAMPNUM",
     "Sample Number of the Sample that caused this sample to be taken, ie the original positive TCR sample number"},
    {"RESULTCOMMENT", "Result Comment"},
    {"SAMPLENOTE", "Sample Notes"},
    {"SAMPNUM", "Sample Number (id)"},
    {"SAMPLEDBY", "ID of the person that took sample"},
    {"SAMPLETYPE", "Composite, Grab, Routine, Repeat..."},
    {"SAMPLEDATE", "Date/Time Sample Taken"},
    {"ANALYTE", "Analyte Sample is Tested For"},
    {"MDL", "Method Detection Limit"},
    {"RL", "Reporting Limit"},
    {"ML", "Minimum Limit"},
    {"UD1", "User Defined #1"},
    {"UD2", "User Defined #2"},
};

constexpr const char* kDefaultQueryPieces[] = {
    "Select RESULTS.RN2 as LAB,'' as ANALYZEDBY,'' as ANALYSIS_START, '' as SAMPLENOTE,'' as RESULTCOMMENT, "
    "ORDERS.ORDNO AS SAMPNUM, FOLDERS.DEPT, ORDERS.SAMPDATE, ORDERS.SAMPLEDBY, ORDERS.SP_CODE, SAMPDESC, PROGNAME "
    "as SAMPLOC, RESULTS.Analyte, RESULTS.testno, RESULTS.FINAL, RESULTS.UNITS, RESULTS.DATEENTER as "
    "AUDITDATETIME, RESULTS.DATEENTER AS APPROVEDDATE, RESULTS.S,ORDERS.STATUS ",
    "FROM ORDERS, RESULTS, SAMPLE_PROGRAMS, FOLDERS ",
    "WHERE ORDERS.ORDNO = RESULTS.ORDNO And ORDERS.SP_CODE = SAMPLE_PROGRAMS.SP_CODE ",
    "AND ORDERS.FOLDERNO=FOLDERS.FOLDERNO ",
    "AND DATEENTER>= #SD# AND DATEENTER < #ED# ",
    "AND RESULTS.S='Done' ",
    "ORDER BY SAMPDATE,DATEENTER",
};

void define(QORConfiguration& config, const QString& key, const char* defaultText)
{
    config.DefineTree(key, QString::fromUtf8(defaultText));
}

} // namespace

void RegisterSourceDefaults(QORConfiguration& config)
{
    for (const KeyDefault& entry : kSourceKeys)
        define(config, QString::fromUtf8(entry.key), entry.defaultText);

    for (std::size_t i = 0; i < kTemplates.size(); ++i) {
        const ConnectionTemplate& t = kTemplates[i];
        const QString n = QString::number(i + 1);
        const QString base = "K52907\\TEMPLATE" + n + "\\";
        define(config, "K52907\\TEMPLATE" + n + "_NAME", t.listName);
        define(config, base + "NAME", t.name);
        define(config, base + "DB_CONN_SOURCE", t.source);
        if (i == 0)
            define(config, base + "SAMPLETYPE", "True");
        define(config, base + "DB_CONN_NAME", t.database);
        define(config, base + "DB_CONN_USERNAME", t.user);
        define(config, base + "DB_CONN_PASSWORD", t.password);
        define(config, base + "DB_CONN_DBMS_TYPE", t.dbmsType);
        define(config, base + "DB_CONN_OLE_DB_PROVIDER", t.provider);
        define(config, base + "DB_CONN_TIMEOUT", "15");
        define(config, base + "DB_CONN_COMMAND_TIMEOUT", "30");
        define(config, base + "DB_CONN_CUSTOMIZATION", "");
    }
}

QString SourceFieldCatalogue()
{
    QString text;
    for (const CatalogueEntry& entry : kCatalogue) {
        if (!text.isEmpty())
            text += QChar(0);
        text += QString::fromUtf8(entry.id) + '\t' + QString::fromUtf8(entry.description);
    }
    return text;
}

QString DefaultSourceQuery()
{
    QString query;
    for (const char* piece : kDefaultQueryPieces)
        query += QString::fromUtf8(piece);
    return query;
}

} // namespace limsbridge
