// Root and facility connections opened through the connection manager against
// the substitute plant database, in both SQL dialects.
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "platform/DbConnection.h"
#include "platform/DbRecordset.h"
#include "platform/DbValue.h"
#include "platform/RaisedError.h"
#include "support/target/TargetEnvironment.h"
#include "target/ConnectionManager.h"

#include <gtest/gtest.h>

using namespace limsbridge;
using namespace limsbridge::testing;

class TargetConnections : public ::testing::TestWithParam<int> {};

TEST_P(TargetConnections, RootAndFacilityOpenInTheirSchemas)
{
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    ASSERT_TRUE(env.addFacility("North", "North Plant"));

    ConnectionManager manager;
    ASSERT_TRUE(ConfigureConnectionManager(manager));
    EXPECT_EQ(TargetDbType, GetParam());

    DbConnection root;
    manager.ConfigCnn4QORROOT(root);
    ASSERT_NO_THROW(root.Open());
    DbRecordset facilities("select filename, name from facility order by lower(filename)", root);
    ASSERT_EQ(facilities.RecordCount(), 1);
    EXPECT_EQ(DbValue::textOf(facilities.Field("FILENAME")), "North");

    DbConnection facility;
    manager.ConfigCnn4FACILITY(facility, " north ");
    ASSERT_NO_THROW(facility.Open());
    DbRecordset probe("select count(*) as n from approvalini", facility);
    EXPECT_FALSE(probe.Eof());

    // A failing statement leaves the connection usable.
    EXPECT_THROW(facility.Execute("select no_such_column from vardesc"), RaisedError);
    EXPECT_FALSE(facility.Errors().isEmpty());
    DbRecordset again("select count(*) as n from vardesc", facility);
    EXPECT_EQ(again.Field("n").toInt(), 0);
}

TEST_P(TargetConnections, WrongPasswordAndUnknownSchemaFailWithAClearError)
{
    LB_REQUIRE_PG();
    TargetEnvironment env(GetParam());
    ConnectionManager manager;
    ASSERT_TRUE(ConfigureConnectionManager(manager));

    DbConnection missing;
    manager.ConfigCnn4FACILITY(missing, "NOWHERE");
    try {
        missing.Open();
        ADD_FAILURE() << "a facility without schema opened";
    } catch (const RaisedError& error) {
        EXPECT_NE(error.number(), 0);
        EXPECT_FALSE(error.description().isEmpty());
    }

    DbConnection wrong;
    QString text = manager.BuildConnectionString("QORROOT");
    text.replace(QString("Password=") + TargetEnvironment::kPassword, "Password=wrong");
    wrong.setConnectionString(text);
    wrong.setDialect(static_cast<SqlDialect>(GetParam()));
    try {
        wrong.Open();
        ADD_FAILURE() << "a wrong password opened";
    } catch (const RaisedError& error) {
        EXPECT_TRUE(error.description().contains("password authentication failed")) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(BothDialects, TargetConnections, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "Oracle" : "SqlServer"; });
