// Daily values and comments through the facility's stored procedures, in both
// dialects: the parameters each procedure gets, the rows written, and the
// audit user stamped on them.
#include "core/Globals.h"
#include "platform/DbCommand.h"
#include "platform/DbConnection.h"
#include "platform/RaisedError.h"
#include "support/target/TargetEnvironment.h"
#include "target/AuditUser.h"
#include "target/CommentsInt.h"
#include "target/ConnectionManager.h"
#include "target/DatatblInt.h"

#include <gtest/gtest.h>

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

struct ParameterRow {
    const char* name;
    int type;
    int size;
    int direction;
};

void expectSignature(const DbCommand& command, const char* procedure,
                     std::initializer_list<ParameterRow> rows) {
    EXPECT_EQ(command.CommandText(), procedure);
    ASSERT_EQ(command.ParameterCount(), int(rows.size())) << procedure;
    int position = 0;
    for (const ParameterRow& row : rows) {
        const DbParameter& parameter = const_cast<DbCommand&>(command).Parameter(position++);
        SCOPED_TRACE(std::string(procedure) + "." + row.name);
        EXPECT_EQ(parameter.Name(), row.name);
        EXPECT_EQ(int(parameter.Type()), row.type);
        EXPECT_EQ(parameter.Size(), row.size);
        EXPECT_EQ(int(parameter.Direction()), row.direction);
    }
}

const QDateTime kDay(QDate(2024, 3, 5), QTime(0, 0));

class DailyValues : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        LB_REQUIRE_PG();
        m_env = std::make_unique<TargetEnvironment>(GetParam());
        ASSERT_TRUE(m_env->addFacility("North", "North Plant"));
        PlantVariable variable;
        variable.facility = "North";
        variable.name = "Ammonia";
        m_varId = m_env->plant().addVariable(variable);
        ASSERT_NE(m_varId, 0);
        ConnectionManager manager;
        ASSERT_TRUE(ConfigureConnectionManager(manager));
        manager.ConfigCnn4FACILITY(m_connection, "North");
        ASSERT_NO_THROW(m_connection.Open());
        WriteAsUser.clear();
    }
    void TearDown() override { WriteAsUser.clear(); }

    QList<QVariantMap> dailyRows() {
        return m_env->plant().rows("select varid, datestamp, curvalue, textvalue, status, forced, audituser, "
                                   "audittimestamp from north.datatbl order by datestamp");
    }
    QList<QVariantMap> commentRows() {
        return m_env->plant().rows(
            "select varid, datestamp, comment, audituser from north.datatbl_c order by datestamp");
    }

    std::unique_ptr<TargetEnvironment> m_env;
    DbConnection m_connection;
    int m_varId = 0;
};

} // namespace

TEST(AuditUser, WriteAsUserOrTheProductsOwnName) {
    WriteAsUser.clear();
    EXPECT_EQ(CurrentAuditUser(), "VIA_K52907");
    WriteAsUser = "LABTECH";
    EXPECT_EQ(CurrentAuditUser(), "LABTECH");
    WriteAsUser.clear();
}

TEST(DailyValueCommands, ParametersInOrderWithTypesSizesAndDirections) {
    DbConnection unopened;
    DatatblInt values;
    values.Connect(unopened);
    expectSignature(values.command(DatatblInt::Procedure::Seek), "seekddatevarid",
                    {{"datestamp_1", 7, 0, 1},
                     {"varid_2", 3, 0, 1},
                     {"curvalue_3", 5, 0, 2},
                     {"textvalue_4", 202, 255, 2},
                     {"varid_5", 3, 0, 2},
                     {"audituser", 200, 50, 2},
                     {"audittimestamp", 7, 0, 2},
                     {"forced", 3, 0, 2},
                     {"status", 3, 0, 2}});
    expectSignature(values.command(DatatblInt::Procedure::Delete), "deletedtbl",
                    {{"date", 7, 0, 1}, {"varid", 3, 0, 1}, {"audituser", 200, 50, 1}});
    expectSignature(values.command(DatatblInt::Procedure::Write), "writedtbl",
                    {{"date", 7, 0, 1},
                     {"varid", 3, 0, 1},
                     {"value", 5, 0, 1},
                     {"textvalue", 202, 255, 1},
                     {"audituser", 200, 50, 1},
                     {"status", 3, 0, 1}});
    expectSignature(values.command(DatatblInt::Procedure::SetForced), "SETFORCED",
                    {{"date", 7, 0, 1}, {"varid", 3, 0, 1}, {"audituser", 200, 50, 1}, {"forced", 3, 0, 1}});

    CommentsInt comments;
    comments.Connect(unopened);
    expectSignature(comments.command(CommentsInt::Procedure::Delete), "deletecmts",
                    {{"date", 7, 0, 1}, {"varId", 3, 0, 1}, {"audituser", 200, 50, 1}});
    expectSignature(
        comments.command(CommentsInt::Procedure::Write), "WRITETBL_C",
        {{"date", 7, 0, 1}, {"varId", 3, 0, 1}, {"comment_in", 202, 2000, 1}, {"audittuser", 200, 50, 1}});
    // Nothing is set before a call: every parameter starts without a value.
    for (int i = 0; i < 9; ++i)
        EXPECT_FALSE(const_cast<DbCommand&>(values.command(DatatblInt::Procedure::Seek))
                         .Parameter(i)
                         .Value()
                         .isValid());
}

TEST(DailyValueCommands, UseBeforeConnectRaises) {
    DatatblInt values;
    try {
        values.WriteData(kDay, 1, 1.0, "", 0);
        ADD_FAILURE() << "no error";
    } catch (const RaisedError& error) {
        EXPECT_EQ(error.number(), 91);
    }
    CommentsInt comments;
    EXPECT_THROW(comments.deletecmts(kDay, 1), RaisedError);
}

TEST_P(DailyValues, SeekWithoutRowLeavesOutputs) {
    DatatblInt values;
    values.Connect(m_connection);
    EXPECT_TRUE(values.NoMatch().toBool());
    double value = 42.5;
    QString text = "kept";
    QString user = "kept user";
    QDateTime stamp = kDay;
    qint32 forced = 7;
    qint32 status = 9;
    values.SeekDateVarId(kDay, m_varId, value, text, &user, &stamp, &forced, &status);
    EXPECT_EQ(values.NoMatch().typeId(), QMetaType::Bool);
    EXPECT_TRUE(values.NoMatch().toBool());
    EXPECT_EQ(forced, 0);
    EXPECT_EQ(value, 42.5);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(user, "kept user");
    EXPECT_EQ(stamp, kDay);
    EXPECT_EQ(status, 9);
    EXPECT_EQ(
        values.command(DatatblInt::Procedure::Seek).lastStatement(),
        QString("CALL seekddatevarid('2024-03-05 00:00:00', %1, NULL, NULL, NULL, NULL, NULL, NULL, NULL)")
            .arg(m_varId));
}

TEST_P(DailyValues, WriteThenSeekReadsTheRowBack) {
    DatatblInt values;
    values.Connect(m_connection);
    values.WriteData(kDay, m_varId, 1.25, "  O'Brien ok ", 2);
    EXPECT_EQ(values.command(DatatblInt::Procedure::Write).lastStatement(),
              QString("CALL writedtbl('2024-03-05 00:00:00', %1, 1.25, '  O''Brien ok ', 'VIA_K52907', 2)")
                  .arg(m_varId));

    const auto rows = dailyRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]["varid"].toInt(), m_varId);
    EXPECT_EQ(rows[0]["datestamp"].toDateTime(), kDay);
    EXPECT_DOUBLE_EQ(rows[0]["curvalue"].toDouble(), 1.25);
    EXPECT_EQ(rows[0]["textvalue"].toString(), "  O'Brien ok ");
    EXPECT_EQ(rows[0]["status"].toInt(), 2);
    EXPECT_EQ(rows[0]["audituser"].toString(), "VIA_K52907");

    double value = 0;
    QString text;
    QString user;
    QDateTime stamp;
    qint32 forced = 5;
    qint32 status = 0;
    values.SeekDateVarId(kDay.addSecs(3600 * 13), m_varId, value, text, &user, &stamp, &forced, &status);
    EXPECT_FALSE(values.NoMatch().toBool());
    EXPECT_DOUBLE_EQ(value, 1.25);
    EXPECT_EQ(text, "O'Brien ok");
    EXPECT_EQ(user, "VIA_K52907");
    EXPECT_EQ(stamp, rows[0]["audittimestamp"].toDateTime());
    EXPECT_EQ(forced, 0);
    EXPECT_EQ(status, 2);

    // A second write of the day replaces the row, stamped with the write-as user.
    WriteAsUser = "LABTECH";
    values.WriteData(kDay, m_varId, -3.5, "", 0);
    const auto replaced = dailyRows();
    ASSERT_EQ(replaced.size(), 1);
    EXPECT_DOUBLE_EQ(replaced[0]["curvalue"].toDouble(), -3.5);
    EXPECT_EQ(replaced[0]["textvalue"].toString(), "");
    EXPECT_FALSE(replaced[0]["textvalue"].isNull());
    EXPECT_EQ(replaced[0]["audituser"].toString(), "LABTECH");
}

TEST_P(DailyValues, NullTextAndTimeStampReadAsEmptyAndZeroDate) {
    DatatblInt values;
    values.Connect(m_connection);
    values.WriteData(kDay, m_varId, 4, "x", 1);
    ASSERT_TRUE(m_env->plant().exec("update north.datatbl set textvalue = null, audittimestamp = null"));
    double value = 0;
    QString text = "before";
    QDateTime stamp;
    values.SeekDateVarId(kDay, m_varId, value, text, nullptr, &stamp);
    EXPECT_EQ(value, 4);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(stamp, QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
}

TEST_P(DailyValues, NullStoredValueRaisesInvalidUseOfNull) {
    DatatblInt values;
    values.Connect(m_connection);
    values.WriteData(kDay, m_varId, 4, "x", 1);
    ASSERT_TRUE(m_env->plant().exec("update north.datatbl set curvalue = null"));
    double value = 0;
    QString text;
    try {
        values.SeekDateVarId(kDay, m_varId, value, text);
        ADD_FAILURE() << "no error";
    } catch (const RaisedError& error) {
        EXPECT_EQ(error.number(), 94);
        EXPECT_EQ(error.description(), "Invalid use of Null");
    }
}

TEST_P(DailyValues, DeleteAndForced) {
    DatatblInt values;
    values.Connect(m_connection);
    values.WriteData(kDay, m_varId, 10, "", 0);
    values.WriteData(kDay.addDays(1), m_varId, 11, "", 0);

    WriteAsUser = "FORCER";
    values.SetForced(kDay, m_varId, -1);
    EXPECT_EQ(values.command(DatatblInt::Procedure::SetForced).lastStatement(),
              QString("CALL SETFORCED('2024-03-05 00:00:00', %1, 'FORCER', -1)").arg(m_varId));
    auto rows = dailyRows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]["forced"].toInt(), -1);
    EXPECT_EQ(rows[0]["audituser"].toString(), "FORCER");
    EXPECT_EQ(rows[1]["forced"].toInt(), 0);

    double value = 0;
    QString text;
    qint32 forced = 0;
    values.SeekDateVarId(kDay, m_varId, value, text, nullptr, nullptr, &forced);
    EXPECT_EQ(forced, -1);

    values.deletedtbl(kDay, m_varId);
    EXPECT_EQ(values.command(DatatblInt::Procedure::Delete).lastStatement(),
              QString("CALL deletedtbl('2024-03-05 00:00:00', %1, 'FORCER')").arg(m_varId));
    rows = dailyRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]["datestamp"].toDateTime(), kDay.addDays(1));
    values.SeekDateVarId(kDay, m_varId, value, text, nullptr, nullptr, &forced);
    EXPECT_TRUE(values.NoMatch().toBool());
    EXPECT_EQ(forced, 0);
}

TEST_P(DailyValues, SetStatusRewritesOnlyAChangedStatus) {
    DatatblInt values;
    values.Connect(m_connection);
    values.WriteData(kDay, m_varId, 7.5, "seven", 1);

    // The same status: nothing is written (the audit user would change otherwise).
    WriteAsUser = "APPROVER";
    values.SetStatus(kDay, m_varId, 1);
    auto rows = dailyRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]["audituser"].toString(), "VIA_K52907");

    values.SetStatus(kDay, m_varId, 3);
    rows = dailyRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]["status"].toInt(), 3);
    EXPECT_DOUBLE_EQ(rows[0]["curvalue"].toDouble(), 7.5);
    EXPECT_EQ(rows[0]["textvalue"].toString(), "seven");
    EXPECT_EQ(rows[0]["audituser"].toString(), "APPROVER");

    // No row: nothing happens.
    values.SetStatus(kDay.addDays(2), m_varId, 3);
    EXPECT_EQ(dailyRows().size(), 1);
}

TEST_P(DailyValues, ErrorsReachTheCaller) {
    DatatblInt values;
    values.Connect(m_connection);
    try {
        values.WriteData(kDay, m_varId, 1, QString(256, 'x'), 0);
        ADD_FAILURE() << "a 256-character text was accepted";
    } catch (const RaisedError& error) {
        EXPECT_EQ(error.number(), 3001);
    }
    EXPECT_NO_THROW(values.WriteData(kDay, m_varId, 1, QString(255, 'x'), 0));
    m_connection.Close();
    EXPECT_THROW(values.WriteData(kDay, m_varId, 1, "", 0), RaisedError);
}

TEST_P(DailyValues, CommentsWriteReplaceAndDelete) {
    CommentsInt comments;
    comments.Connect(m_connection);
    comments.WriteData(kDay, m_varId, "Sample 'A' cloudy");
    EXPECT_EQ(comments.command(CommentsInt::Procedure::Write).lastStatement(),
              QString("CALL WRITETBL_C('2024-03-05 00:00:00', %1, 'Sample ''A'' cloudy', 'VIA_K52907')")
                  .arg(m_varId));
    WriteAsUser = "LABTECH";
    comments.WriteData(kDay.addDays(1), m_varId, QString(2000, 'c'));
    auto rows = commentRows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]["comment"].toString(), "Sample 'A' cloudy");
    EXPECT_EQ(rows[0]["audituser"].toString(), "VIA_K52907");
    EXPECT_EQ(rows[1]["comment"].toString().size(), 2000);
    EXPECT_EQ(rows[1]["audituser"].toString(), "LABTECH");

    comments.WriteData(kDay, m_varId, "replaced");
    rows = commentRows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]["comment"].toString(), "replaced");

    EXPECT_THROW(comments.WriteData(kDay, m_varId, QString(2001, 'c')), RaisedError);

    comments.deletecmts(kDay, m_varId);
    EXPECT_EQ(comments.command(CommentsInt::Procedure::Delete).lastStatement(),
              QString("CALL deletecmts('2024-03-05 00:00:00', %1, 'LABTECH')").arg(m_varId));
    rows = commentRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]["datestamp"].toDateTime(), kDay.addDays(1));

    QString comment = "kept";
    QString user = "kept";
    QDateTime stamp = kDay;
    comments.Seekcmts(kDay.addDays(1), m_varId, comment, user, stamp);
    EXPECT_EQ(comment, "kept");
    EXPECT_EQ(user, "kept");
    EXPECT_EQ(stamp, kDay);
    EXPECT_TRUE(comments.NoMatch().toBool());
}

INSTANTIATE_TEST_SUITE_P(BothDialects, DailyValues, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "Oracle" : "SqlServer"; });
