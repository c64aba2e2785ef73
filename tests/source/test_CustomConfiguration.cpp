#include "core/QORConfiguration.h"
#include "source/CommonTypeGlobals.h"
#include "source/CommonUnitConvert.h"
#include "source/CustomConfiguration.h"

#include <gtest/gtest.h>

using namespace limsbridge;

TEST(CustomConfiguration, DefaultQueryIsTheSevenPiecesJoined)
{
    EXPECT_EQ(DefaultSourceQuery(),
              "Select RESULTS.RN2 as LAB,'' as ANALYZEDBY,'' as ANALYSIS_START, '' as SAMPLENOTE,'' as "
              "RESULTCOMMENT, ORDERS.ORDNO AS SAMPNUM, FOLDERS.DEPT, ORDERS.SAMPDATE, ORDERS.SAMPLEDBY, "
              "ORDERS.SP_CODE, SAMPDESC, PROGNAME as SAMPLOC, RESULTS.Analyte, RESULTS.testno, RESULTS.FINAL, "
              "RESULTS.UNITS, RESULTS.DATEENTER as AUDITDATETIME, RESULTS.DATEENTER AS APPROVEDDATE, "
              "RESULTS.S,ORDERS.STATUS FROM ORDERS, RESULTS, SAMPLE_PROGRAMS, FOLDERS WHERE ORDERS.ORDNO = "
              "RESULTS.ORDNO And ORDERS.SP_CODE = SAMPLE_PROGRAMS.SP_CODE AND ORDERS.FOLDERNO=FOLDERS.FOLDERNO "
              "AND DATEENTER>= #SD# AND DATEENTER < #ED# AND RESULTS.S='Done' ORDER BY SAMPDATE,DATEENTER");
}

TEST(CustomConfiguration, CatalogueHasTwentyEntriesWithOneTabEach)
{
    const QStringList entries = SourceFieldCatalogue().split(QChar(0));
    ASSERT_EQ(entries.size(), 20);
    for (const QString& entry : entries)
        EXPECT_EQ(entry.count('\t'), 1) << entry.toStdString();
    EXPECT_EQ(entries.first(), "ANALYSIS_START\tDate/Time of Analysis Start");
    EXPECT_EQ(entries.last(), "UD2\tUser Defined #2");
}

TEST(CustomConfiguration, RegistrationsGiveTheDefaults)
{
    QORConfiguration config;
    RegisterMatchingDefaults(config);
    RegisterSourceDefaults(config);
    struct Row {
        const char* key;
        const char* value;
    };
    const Row rows[] = {
        {"K52907\\DB_CONN_DBMS_TYPE", "2"},
        {"K52907\\DB_CONN_OLE_DB_PROVIDER", "SQLNCLI"},
        {"K52907\\IMPORTDATAAPP", "VAR"},
        {"K52907\\TEMPLATE_COUNT", "3"},
        {"K52907\\TEMPLATE1_NAME", "Source on Oracle Server"},
        {"K52907\\TEMPLATE2\\NAME", "Source on Microsoft SQL Server"},
        {"K52907\\TEMPLATE2\\DB_CONN_NAME", "LIMS"},
        {"K52907\\TEMPLATE1\\DB_CONN_PASSWORD", "kljbvchx"},
        {"K52907\\TEMPLATE3\\DB_CONN_SOURCE", "C:\\Database.mdb"},
        {"K52907\\TEMPLATE3\\DB_CONN_USERNAME", ""},
        {"K52907\\TEMPLATE3\\DB_CONN_COMMAND_TIMEOUT", "30"},
        {"TARGET\\COMMENTWRITER\\ENABLED", "TRUE"},
        {"TARGET\\IGNORECASEDURINGMATCH\\ENABLED", "FALSE"},
        {"TARGET\\UNITCONVERT\\ENABLED", "TRUE"},
        {"TARGET\\UNITCONVERT\\UNIT12\\TOUNIT", "mcg/kg"},
        {"TARGET\\UNITCONVERT\\UNIT19\\FACTOR", "-1"},
        {"TARGET\\UNITCONVERT\\UNIT28\\FROMUNIT", "degreec."},
        {"TARGET\\UNITCONVERT\\UNIT28\\ENABLED", "TRUE"},
        {"TARGET\\UNITCONVERT\\UNIT29\\ENABLED", "FALSE"},
        {"TARGET\\UNITCONVERT\\UNIT29\\FACTOR", "1"},
        {"TARGET\\UNITCONVERT\\UNIT100\\TOUNIT", ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(config.item(row.key), QString::fromUtf8(row.value)) << row.key;
    EXPECT_EQ(config.item("TARGET\\UNITCONVERT\\UNIT7\\TOUNIT"), QString::fromUtf8("\u00B5g/l"));
    EXPECT_FALSE(config.ItemExists("TARGET\\UNITCONVERT\\UNIT101\\ENABLED"));
    EXPECT_FALSE(config.ItemExists("K52907\\TEMPLATE2\\SAMPLETYPE"));
    EXPECT_TRUE(CommentWriterEnabled);
}
