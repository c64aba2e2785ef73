// Connection strings of the plant database and the settings behind them.
#include "core/AnsiCodePage.h"
#include "core/AppInfo.h"
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "platform/RaisedError.h"
#include "target/ConnectionManager.h"
#include "support/target/TargetEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace limsbridge;
using limsbridge::testing::encodePasswordLine;

namespace {

class ConnectionManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        ASSERT_TRUE(QDir(m_root.path()).mkpath("home"));
        App::setPath(m_root.path() + "/home");
    }
    void TearDown() override { App::setPath(QString()); }

    void writePasswordFile(const QString& folder, const QByteArray& firstLine)
    {
        QFile file(folder + "/tzpo.pzt");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(firstLine + "\r\nsecond line is ignored\r\n");
    }
    QString home() const { return m_root.path() + "/home"; }

    QTemporaryDir m_root;
};

} // namespace

TEST_F(ConnectionManagerTest, ConnectionAndTemplateStrings)
{
    writePasswordFile(home(), encodePasswordLine("Secr3t"));
    struct Row {
        const char* name;
        qint16 type;
        const char* user;
        const char* customization;
        const char* expected;
        const char* expectedTemplate;
    };
    const Row rows[] = {
        {"oracle root", 1, "QORROOT", "",
         "Provider=OraOLEDB.Oracle;Persist Security Info=False;Data Source=plant;User ID=QORROOT;Password=Secr3t;"
         "OLE DB Services =-2;Application Name=52907;",
         "Provider=OraOLEDB.Oracle;Data Source=plant;Persist Security Info=False;User ID=@@@;Password=###;"
         "OLE DB Services =-2;Application Name=52907;"},
        {"oracle facility lower case", 1, "north_plant", "FetchSize=100",
         "Provider=OraOLEDB.Oracle;Persist Security Info=False;Data Source=plant;User ID=NORTH_PLANT;"
         "Password=Secr3t;OLE DB Services =-2;Application Name=52907;FetchSize=100",
         "Provider=OraOLEDB.Oracle;Data Source=plant;Persist Security Info=False;User ID=@@@;Password=###;"
         "OLE DB Services =-2;Application Name=52907;FetchSize=100"},
        {"sql server root", 2, "qorroot", "",
         "Provider=OraOLEDB.Oracle;Persist Security Info=False;Data Source=plant;Initial Catalog=QORROOT;"
         "User ID=QORDBA;Password=Secr3t;OLE DB Services =-2;Application Name=52907;",
         "Provider=OraOLEDB.Oracle;Data Source=plant;Persist Security Info=False;Initial Catalog=@@@;"
         "User ID=QORDBA;Password=###;OLE DB Services =-2;Application Name=52907;"},
        {"sql server facility", 2, "Plant1", "Encrypt=no",
         "Provider=OraOLEDB.Oracle;Persist Security Info=False;Data Source=plant;Initial Catalog=PLANT1;"
         "User ID=QORDBA;Password=Secr3t;OLE DB Services =-2;Application Name=52907;Encrypt=no",
         "Provider=OraOLEDB.Oracle;Data Source=plant;Persist Security Info=False;Initial Catalog=@@@;"
         "User ID=QORDBA;Password=###;OLE DB Services =-2;Application Name=52907;Encrypt=no"},
    };
    for (const Row& row : rows) {
        ConnectionManager manager;
        ASSERT_TRUE(manager.Init(row.type, " OraOLEDB.Oracle ", " plant ", QString(" ") + row.customization, false,
                                 15, 30))
            << row.name;
        EXPECT_EQ(manager.BuildConnectionString(row.user), row.expected) << row.name;
        EXPECT_EQ(manager.TemplateCnnString(), row.expectedTemplate) << row.name;
    }
}

TEST_F(ConnectionManagerTest, InitRefusesBadSettingsAndKeepsThePreviousOnes)
{
    ConnectionManager manager;
    ASSERT_TRUE(manager.Init(2, "SQLNCLI11", "server\\inst", "", false, 15, 30));
    EXPECT_FALSE(manager.Init(3, "SQLNCLI11", "other", "", false, 1, 1));
    EXPECT_FALSE(manager.Init(1, "  ", "other", "", false, 1, 1));
    EXPECT_FALSE(manager.Init(1, "OraOLEDB.Oracle", "", "", false, 1, 1));
    EXPECT_EQ(manager.databaseType(), 2);
    EXPECT_EQ(manager.DB_DATASOURCE(), "server\\inst");
    EXPECT_EQ(manager.COMMAND_TIMEOUT_s(), 30);
}

TEST_F(ConnectionManagerTest, PasswordFileRules)
{
    // No file anywhere: the built-in default, five characters.
    {
        ConnectionManager manager;
        EXPECT_EQ(manager.password().size(), 5);
    }
    // A first line shorter than 88 characters carries no password.
    writePasswordFile(home(), QByteArray(87, 'x'));
    {
        ConnectionManager manager;
        EXPECT_EQ(manager.password(), "");
    }
    // Shifts cycle 2..6, 1, 2...: seven characters exercise the wrap.
    writePasswordFile(home(), encodePasswordLine("abcdefg"));
    {
        ConnectionManager manager;
        EXPECT_EQ(manager.password(), "abcdefg");
    }
    // The parent folder's file is found first, and it is the one read.
    writePasswordFile(m_root.path(), encodePasswordLine("parent"));
    {
        ConnectionManager manager;
        EXPECT_EQ(manager.password(), "parent");
    }
}

TEST_F(ConnectionManagerTest, DataSourceOverrideIsNeverUsedForTheRoot)
{
    ConnectionManager manager;
    ASSERT_TRUE(manager.Init(2, "SQLNCLI11", "main", "", false, 15, 30));
    manager.setDataSourceReplace(true);
    EXPECT_TRUE(manager.BuildConnectionString("QorRoot").contains(";Data Source=main;"));
    // A facility missing from the override table gets an empty data source.
    EXPECT_TRUE(manager.BuildConnectionString("PLANT1").contains(";Data Source=;"));
}

TEST_F(ConnectionManagerTest, ConfigureReadsTheSettingsAndSetsTheDialect)
{
    QORConfiguration config;
    config.DefineTree("ZURIVARU\\ZURIVARU_CONNECTION_DBTYPE", "1");
    config.DefineTree("ZURIVARU\\ZURIVARU_CONNECTION_PROVIDER", "OraOLEDB.Oracle");
    config.DefineTree("ZURIVARU\\ZURIVARU_CONNECTION_DATASOURCE", "plant");
    config.DefineTree("ZURIVARU\\ZURIVARU_CONNECTION_CUSTOMIZATIONS", "");
    config.DefineTree("ZURIVARU\\ZURIVARU_CONNECTION_TIMEOUT", "20");
    config.DefineTree("ZURIVARU\\ZURIVARU_CONNECTION_COMMAND_TIMEOUT", "40");
    Config = &config;
    ConnectionManager manager;
    EXPECT_TRUE(ConfigureConnectionManager(manager));
    EXPECT_EQ(TargetDbType, 1);
    EXPECT_EQ(manager.CONNECTION_TIMEOUT_s(), 20);
    EXPECT_EQ(manager.COMMAND_TIMEOUT_s(), 40);

    config.setItem("ZURIVARU\\ZURIVARU_CONNECTION_DBTYPE", "3");
    EXPECT_FALSE(ConfigureConnectionManager(manager));
    EXPECT_EQ(TargetDbType, 3);

    config.setItem("ZURIVARU\\ZURIVARU_CONNECTION_TIMEOUT", "soon");
    try {
        ConfigureConnectionManager(manager);
        ADD_FAILURE() << "no error for a time-out that is not a number";
    } catch (const RaisedError& error) {
        EXPECT_EQ(error.number(), 13);
    }
    Config = nullptr;
}

TEST(PasswordLine, EncodedLinesDecodeToThePassword)
{
    for (const QString& password : {QString(), QString("a"), QString("Plant#Test1"), QString("ÄÖü 12345678")}) {
        const QByteArray line = ConnectionManager::EncodePasswordLine(password);
        EXPECT_EQ(line.size(), 32 + 6 * password.size() + 55);
        EXPECT_EQ(ConnectionManager::DecodePasswordLine(line), password) << password.toStdString();
    }
}
