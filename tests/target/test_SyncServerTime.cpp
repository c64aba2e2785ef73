// The server clock offset asked with GETSERVERTIME on root and facility
// connections of the substitute plant database, and its failures.
#include "core/Clock.h"
#include "core/TimeUtilities.h"
#include "platform/DbConnection.h"
#include "platform/DbRecordset.h"
#include "platform/DbValue.h"
#include "support/target/TargetEnvironment.h"
#include "target/ConnectionManager.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

QDateTime at(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), "yyyy-MM-dd HH:mm:ss");
}

} // namespace

class SyncServerTimeTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        LB_REQUIRE_PG();
        m_env = std::make_unique<TargetEnvironment>(GetParam());
        ASSERT_TRUE(m_env->addFacility("North", "North Plant"));
        m_manager = std::make_unique<ConnectionManager>();
        ASSERT_TRUE(ConfigureConnectionManager(*m_manager));
        m_manager->ConfigCnn4QORROOT(m_root);
        ASSERT_NO_THROW(m_root.Open());
        m_manager->ConfigCnn4FACILITY(m_facility, "North");
        ASSERT_NO_THROW(m_facility.Open());
        ServerOffsetSeconds = 11;
        ServerRoundTripSeconds = 22;
    }
    void TearDown() override
    {
        setTimeServerConnection(nullptr);
        Clock::setSource({});
        ServerOffsetSeconds = 0;
        ServerRoundTripSeconds = 0;
    }

    // The server's wall clock as this connection's session sees it.
    static QDateTime serverClock(DbConnection& connection)
    {
        DbRecordset now("select localtimestamp(0) as now", connection);
        return DbValue::dateOf(now.Field("now"));
    }

    std::unique_ptr<TargetEnvironment> m_env;
    std::unique_ptr<ConnectionManager> m_manager;
    DbConnection m_root;
    DbConnection m_facility;
};

TEST_P(SyncServerTimeTest, OffsetAndRoundTripFromTheServersClock)
{
    // Our clock stands still at a fixed moment for the first call and moves
    // three seconds for each later reading, so the round trip is known.
    const QDateTime base = at("2020-01-01 00:00:00");
    int readings = 0;
    Clock::setSource([&] { return base.addSecs(3 * readings++); });
    setTimeServerConnection(&m_root);
    ASSERT_TRUE(SyncServerTime());
    EXPECT_EQ(readings, 2);
    EXPECT_EQ(ServerRoundTripSeconds, 3);
    const qint64 expected = base.secsTo(serverClock(m_root));
    EXPECT_LE(std::llabs(ServerOffsetSeconds - expected), 2) << ServerOffsetSeconds << " vs " << expected;

    Clock::setFixed(at("2020-01-01 12:00:00"));
    EXPECT_EQ(ServerNow(), at("2020-01-01 12:00:00").addSecs(ServerOffsetSeconds));

    // With our clock right, the offset is (nearly) nothing.
    Clock::setSource([&] { return serverClock(m_root); });
    setTimeServerConnection(&m_facility);
    ASSERT_TRUE(SyncServerTime());
    EXPECT_LE(std::abs(ServerOffsetSeconds), 2);
}

TEST_P(SyncServerTimeTest, FailuresLeaveTheOffsetsAlone)
{
    Clock::setFixed(at("2020-01-01 00:00:00"));

    // No connection, and one that was destroyed after it was set.
    setTimeServerConnection(nullptr);
    EXPECT_FALSE(SyncServerTime());
    {
        DbConnection gone;
        m_manager->ConfigCnn4QORROOT(gone);
        gone.Open();
        setTimeServerConnection(&gone);
        EXPECT_EQ(TimeServerConnection(), &gone);
    }
    EXPECT_EQ(TimeServerConnection(), nullptr);
    EXPECT_FALSE(SyncServerTime());

    // A server that answers no time.
    ASSERT_TRUE(m_env->plant().exec("CREATE OR REPLACE PROCEDURE north.getservertime(INOUT date_out timestamp) "
                                    "LANGUAGE plpgsql AS $$ BEGIN date_out := NULL; END $$"));
    setTimeServerConnection(&m_facility);
    EXPECT_FALSE(SyncServerTime());

    // A database without the procedure.
    ASSERT_TRUE(m_env->plant().exec("DROP PROCEDURE north.getservertime(timestamp)"));
    EXPECT_FALSE(SyncServerTime());

    // A closed connection.
    setTimeServerConnection(&m_root);
    m_root.Close();
    EXPECT_FALSE(SyncServerTime());

    EXPECT_EQ(ServerOffsetSeconds, 11);
    EXPECT_EQ(ServerRoundTripSeconds, 22);
    EXPECT_EQ(ServerNow(), at("2020-01-01 00:00:11"));
}

INSTANTIATE_TEST_SUITE_P(BothDialects, SyncServerTimeTest, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "Oracle" : "SqlServer"; });
