// The path of a location in a facility's location tree, in both dialects.
#include "core/Globals.h"
#include "core/LocationPath.h"
#include "core/QORLoggerTXT.h"
#include "platform/DbConnection.h"
#include "support/target/TargetEnvironment.h"
#include "target/ConnectionManager.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

class LocationPath : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        LB_REQUIRE_PG();
        m_env = std::make_unique<TargetEnvironment>(GetParam());
        ASSERT_TRUE(m_env->addFacility("North", "North Plant"));
        PlantDb& plant = m_env->plant();
        m_plant = plant.addLocation("North", "Plant");
        m_basin = plant.addLocation("North", "Basin 1", m_plant);
        m_inlet = plant.addLocation("North", "Inlet", m_basin);
        ASSERT_NE(m_inlet, 0);
        ConnectionManager manager;
        ASSERT_TRUE(ConfigureConnectionManager(manager));
        manager.ConfigCnn4FACILITY(m_connection, "North");
        ASSERT_NO_THROW(m_connection.Open());
    }

    QString logText() const {
        QFile log(m_env->logger().currentFile());
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

    std::unique_ptr<TargetEnvironment> m_env;
    DbConnection m_connection;
    int m_plant = 0;
    int m_basin = 0;
    int m_inlet = 0;
};

} // namespace

TEST_P(LocationPath, WalksUpToTheTop) {
    EXPECT_EQ(GetLocationPath(QString::number(m_inlet), m_connection), "Plant\\Basin 1\\Inlet");
    EXPECT_EQ(GetLocationPath(" " + QString::number(m_basin) + " ", m_connection), "Plant\\Basin 1");
    EXPECT_EQ(GetLocationPath(QString::number(m_plant), m_connection), "Plant");
    EXPECT_EQ(GetLocationPath("99999", m_connection), "");
    EXPECT_FALSE(logText().contains("GetLocationPath"));
}

TEST_P(LocationPath, NoLocationIdsNeedNoQuery) {
    // On a closed connection any query would fail and be logged.
    DbConnection closed;
    for (const char* id : {"0", "", "-1"}) {
        EXPECT_EQ(GetLocationPath(id, closed), "") << id;
    }
    EXPECT_FALSE(logText().contains("GetLocationPath"));
}

TEST_P(LocationPath, ALoopEnds) {
    // Plant becomes a child of Inlet: every location is its own ancestor.
    ASSERT_TRUE(m_env->plant().exec(
        QString("update north.location set parentid = %1 where locid = %2").arg(m_inlet).arg(m_plant)));
    EXPECT_EQ(GetLocationPath(QString::number(m_inlet), m_connection), "Plant\\Basin 1\\Inlet");
    EXPECT_EQ(GetLocationPath(QString::number(m_basin), m_connection), "Inlet\\Plant\\Basin 1");

    ASSERT_TRUE(m_env->plant().exec(
        QString("update north.location set parentid = locid where locid = %1").arg(m_plant)));
    EXPECT_EQ(GetLocationPath(QString::number(m_plant), m_connection), "Plant");
}

TEST_P(LocationPath, ErrorsAreLoggedAndGiveEmptyText) {
    DbConnection closed;
    EXPECT_EQ(GetLocationPath(QString::number(m_inlet), closed), "");
    EXPECT_TRUE(logText().contains(" : Error found in Util.GetLocationPath. Error: 3709\r\n"))
        << logText().toStdString();

    // An id that is no number never reaches the statement.
    EXPECT_EQ(GetLocationPath("1 OR 1=1", m_connection), "");
    EXPECT_TRUE(logText().contains(
        " : Error found in Util.GetLocationPath. Error: 3001\r\n'1 OR 1=1' is not a location id"))
        << logText().toStdString();
}

INSTANTIATE_TEST_SUITE_P(BothDialects, LocationPath, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "Oracle" : "SqlServer"; });
