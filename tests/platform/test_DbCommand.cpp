// Stored-procedure commands on PostgreSQL: inputs written as escaped literals,
// INOUT outputs read by name, nulls in both directions, wall-clock dates.
#include "test_DbSupport.h"

#include "platform/DbCommand.h"
#include "platform/DbRecordset.h"
#include "platform/DbValue.h"

#include <memory>

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

// A small daily-value table with a write procedure that replaces the row of the
// same day and variable, and a seek procedure that answers NULL without a row.
const char* const schemaSql = R"sql(
CREATE TABLE datatbl (datestamp timestamp, varid integer, curvalue double precision, textvalue varchar(255),
                      audituser varchar(50), audittimestamp timestamp, status integer,
                      PRIMARY KEY (datestamp, varid));
CREATE PROCEDURE writedtbl("date" timestamp, varid integer, "value" double precision, textvalue varchar(255),
                           audituser varchar(50), status integer)
LANGUAGE plpgsql AS $$
BEGIN
    INSERT INTO datatbl VALUES ("date", varid, "value", textvalue, audituser, "date" + interval '5 minutes', status)
    ON CONFLICT ON CONSTRAINT datatbl_pkey DO UPDATE
        SET curvalue = EXCLUDED.curvalue, textvalue = EXCLUDED.textvalue, audituser = EXCLUDED.audituser,
            audittimestamp = EXCLUDED.audittimestamp, status = EXCLUDED.status;
END $$;
CREATE PROCEDURE seekddatevarid(datestamp_1 timestamp, varid_2 integer, INOUT curvalue_3 double precision,
                                INOUT textvalue_4 varchar(255), INOUT varid_5 integer, INOUT audituser varchar(50),
                                INOUT audittimestamp timestamp, INOUT status integer)
LANGUAGE plpgsql AS $$
BEGIN
    SELECT d.curvalue, d.textvalue, d.varid, d.audituser, d.audittimestamp, d.status
      INTO curvalue_3, textvalue_4, varid_5, audituser, audittimestamp, status
      FROM datatbl d WHERE d.datestamp = datestamp_1 AND d.varid = varid_2;
END $$;
)sql";

class DbCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        useProgramTimeZone();
        LB_REQUIRE_PG();
        m_database = std::make_unique<ScratchDatabase>();
        m_database->exec(schemaSql);
        m_connection.setConnectionString(pgSuperuserConnectionString(*m_database));
        m_connection.Open();
    }

    void write(const QVariant& date, const QVariant& varid, const QVariant& value, const QVariant& text,
               const QVariant& status = 0) {
        DbCommand command(m_connection, "writedtbl");
        command.Append("date", DbDataType::Date, DbParameterDirection::Input);
        command.Append("varid", DbDataType::Integer, DbParameterDirection::Input);
        command.Append("value", DbDataType::Double, DbParameterDirection::Input);
        command.Append("textvalue", DbDataType::VarWChar, DbParameterDirection::Input, 255);
        command.Append("audituser", DbDataType::VarChar, DbParameterDirection::Input, 50);
        command.Append("status", DbDataType::Integer, DbParameterDirection::Input);
        command.setValue("date", date);
        command.setValue("varid", varid);
        command.setValue("value", value);
        command.setValue("textvalue", text);
        command.setValue("audituser", "VIA_K52907");
        command.setValue("status", status);
        command.Execute();
        m_lastStatement = command.lastStatement();
    }

    std::unique_ptr<DbCommand> seek(const QDateTime& date, int varid) {
        auto command = std::make_unique<DbCommand>(m_connection, "seekddatevarid");
        command->Append("datestamp_1", DbDataType::Date, DbParameterDirection::Input, 0, date);
        command->Append("varid_2", DbDataType::Integer, DbParameterDirection::Input, 0, varid);
        command->Append("curvalue_3", DbDataType::Double, DbParameterDirection::Output);
        command->Append("textvalue_4", DbDataType::VarWChar, DbParameterDirection::Output, 255);
        command->Append("varid_5", DbDataType::Integer, DbParameterDirection::Output);
        command->Append("audituser", DbDataType::VarChar, DbParameterDirection::Output, 50);
        command->Append("audittimestamp", DbDataType::Date, DbParameterDirection::Output);
        command->Append("status", DbDataType::Integer, DbParameterDirection::InputOutput, 0, 99);
        command->Execute();
        return command;
    }

    QString serverText(const QString& sql) {
        DbRecordset recordset(sql, m_connection);
        return recordset.Eof() ? QString() : DbValue::textOf(recordset.Field(0));
    }

    std::unique_ptr<ScratchDatabase> m_database;
    DbConnection m_connection;
    QString m_lastStatement;
};

const QDateTime morning(QDate(2024, 7, 1), QTime(10, 0, 0));

} // namespace

TEST_F(DbCommandTest, InputsAreEscapedLiteralsAndOutputsReadByName) {
    write(morning, 7, 1234.5, "O'Brien\\n");
    EXPECT_EQ(m_lastStatement,
              "CALL writedtbl('2024-07-01 10:00:00', 7, 1234.5, 'O''Brien\\n', 'VIA_K52907', 0)");

    const auto command = seek(morning, 7);
    EXPECT_EQ(command->lastStatement(), "CALL seekddatevarid('2024-07-01 10:00:00', 7, NULL, NULL, NULL, NULL, NULL, 99)");
    EXPECT_EQ(command->Value("CURVALUE_3").toDouble(), 1234.5);
    EXPECT_EQ(command->Value("textvalue_4").toString(), "O'Brien\\n");
    EXPECT_EQ(command->Value("varid_5").toInt(), 7);
    EXPECT_EQ(command->Value("AuditUser").toString(), "VIA_K52907");
    EXPECT_EQ(command->Value("audittimestamp").toDateTime(), morning.addSecs(300));
    EXPECT_EQ(command->Value("status").toInt(), 0);
    EXPECT_EQ(command->Parameter(4).Name(), "varid_5");
}

TEST_F(DbCommandTest, SeekWithoutRowAnswersNulls) {
    const auto command = seek(morning, 8);
    EXPECT_FALSE(command->Value("varid_5").isValid());
    EXPECT_FALSE(command->Value("curvalue_3").isValid());
    EXPECT_FALSE(command->Value("textvalue_4").isValid());
    EXPECT_FALSE(command->Value("audittimestamp").isValid());
    EXPECT_FALSE(command->Value("status").isValid());
}

TEST_F(DbCommandTest, NullInputsStayNullAndEmptyTextStaysEmpty) {
    write(morning, 1, QVariant(), QVariant());
    write(morning, 2, 0.0, QString(""));
    const auto withNulls = seek(morning, 1);
    EXPECT_EQ(withNulls->Value("varid_5").toInt(), 1);
    EXPECT_FALSE(withNulls->Value("curvalue_3").isValid());
    EXPECT_FALSE(withNulls->Value("textvalue_4").isValid());
    const auto withEmpty = seek(morning, 2);
    EXPECT_TRUE(withEmpty->Value("textvalue_4").isValid());
    EXPECT_EQ(withEmpty->Value("textvalue_4").toString(), "");
    EXPECT_EQ(withEmpty->Value("curvalue_3").toDouble(), 0.0);
}

TEST_F(DbCommandTest, WriteReplacesTheRowOfTheSameDayAndVariable) {
    write(morning, 3, 1.0, "first", 1);
    write(morning, 3, -2.25, "second", 2);
    EXPECT_EQ(serverText("select count(*) from datatbl"), "1");
    const auto command = seek(morning, 3);
    EXPECT_EQ(command->Value("curvalue_3").toDouble(), -2.25);
    EXPECT_EQ(command->Value("textvalue_4").toString(), "second");
    EXPECT_EQ(command->Value("status").toInt(), 2);
}

TEST_F(DbCommandTest, DateTimeKeepsItsWallClockThroughServerInAnotherZone) {
    EXPECT_EQ(serverText("show timezone"), "Pacific/Auckland");
    write(morning, 4, 1.0, "x");
    EXPECT_EQ(serverText("select datestamp::text from datatbl where varid = 4"), "2024-07-01 10:00:00");
    const auto command = seek(morning, 4);
    EXPECT_EQ(command->Value("varid_5").toInt(), 4);
    EXPECT_EQ(command->Value("audittimestamp").toDateTime(), QDateTime(QDate(2024, 7, 1), QTime(10, 5, 0)));
    // Dates given as ISO text are the same wall-clock time.
    write(QString("2024-07-01T10:00:00"), 4, 3.0, "y");
    EXPECT_EQ(seek(morning, 4)->Value("curvalue_3").toDouble(), 3.0);
}

TEST_F(DbCommandTest, InputsAreConvertedToTheParameterTypes) {
    write(QDate(2024, 7, 2), QString("5"), QString("2.5"), 42, 2.5);
    EXPECT_EQ(m_lastStatement, "CALL writedtbl('2024-07-02 00:00:00', 5, 2.5, '42', 'VIA_K52907', 2)");
}

TEST_F(DbCommandTest, BadInputIsRefusedAndConnectionStaysUsable) {
    struct Case {
        const char* name;
        QVariant date, varid, value, text;
        const char* descriptionPart;
    };
    const Case cases[] = {
        {"TextLongerThanSize", morning, 1, 1.0, QString(256, 'x'), "256 characters long, more than the 255"},
        {"NotANumber", morning, 1, QString("abc"), "x", "'abc' is not a number"},
        {"NotADate", QString("31/12/2024"), 1, 1.0, "x", "'31/12/2024' is not a date"},
        {"IntegerOutOfRange", morning, 3.0e10, 1.0, "x", "outside the range of a 32-bit integer"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        const RaisedError error = raisedBy([&] { write(row.date, row.varid, row.value, row.text); });
        EXPECT_EQ(error.number(), DbError::InvalidArgument);
        EXPECT_TRUE(error.description().contains(row.descriptionPart)) << error.description().toStdString();
        ASSERT_EQ(m_connection.Errors().size(), 1);
        EXPECT_EQ(m_connection.Errors()[0].Number, DbError::InvalidArgument);
    }
    write(morning, 1, 1.0, QString(255, 'x'));
    EXPECT_EQ(seek(morning, 1)->Value("textvalue_4").toString().size(), 255);
}

TEST_F(DbCommandTest, FailingProcedureRaisesDriverErrorAndUnknownParameterRaises) {
    DbCommand command(m_connection, "no_such_procedure");
    command.Append("a", DbDataType::Integer, DbParameterDirection::Input, 0, 1);
    const RaisedError error = raisedBy([&] { command.Execute(); });
    EXPECT_EQ(error.number(), DbError::numberFor(DbDriverKind::PostgreSql, "42883"));
    EXPECT_TRUE(error.description().contains("no_such_procedure")) << error.description().toStdString();
    EXPECT_EQ(raisedBy([&] { command.Parameter("b"); }).number(), DbError::ItemNotFound);
    EXPECT_EQ(serverText("select 1"), "1");
}

TEST(DbCommand, SqliteHasNoProcedures) {
    ScratchSqliteFile file;
    DbConnection connection;
    connection.setConnectionString(file.connectionString());
    connection.Open();
    DbCommand command(connection, "anything");
    EXPECT_EQ(raisedBy([&] { command.Execute(); }).number(), DbError::NotSupported);
}
