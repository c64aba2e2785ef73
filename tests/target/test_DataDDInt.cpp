// Sub-daily values and comments through the facility procedures: the frequency
// codes and procedure interfaces, slot starts, and values, comments, deletes,
// forced flags and status changes written to and read back from the
// substitute plant database in both dialects.
#include "platform/DbCommand.h"
#include "platform/DbConnection.h"
#include "platform/RaisedError.h"
#include "support/target/TargetEnvironment.h"
#include "target/AuditUser.h"
#include "target/ConnectionManager.h"
#include "target/DataDDInt.h"
#include "target/DateText.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

QDateTime at(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), "yyyy-MM-dd HH:mm:ss");
}

QDateTime atMs(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), "yyyy-MM-dd HH:mm:ss.zzz");
}

// "name type size direction" of every parameter of a command, in order.
QStringList signature(DbCommand& command)
{
    QStringList parameters;
    for (int index = 0; index < command.ParameterCount(); ++index) {
        const DbParameter& parameter = command.Parameter(index);
        parameters << QStringLiteral("%1 %2 %3 %4")
                          .arg(parameter.Name())
                          .arg(int(parameter.Type()))
                          .arg(parameter.Size())
                          .arg(int(parameter.Direction()));
    }
    return parameters;
}

} // namespace

TEST(DataDDIntFrequency, CodesAndIntervalLengths)
{
    struct Row {
        qint32 intervals;
        const char* code;
        qint32 minutes;
    };
    const Row rows[] = {{6, "4", 240},  {24, "H", 60},    {48, "3", 30},   {96, "F", 15},  {288, "5", 5},
                        {1440, "1", 1}, {12, "H", 120},   {7, "H", 206},   {86400, "H", 0}, {0, "H", 0}};
    DbConnection unopened;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.intervals);
        DataDDInt data;
        EXPECT_EQ(data.GetCurrentIntervalsInDay().toInt(), -1);
        EXPECT_TRUE(data.NoMatch().toBool());
        data.ConnectTo(unopened, row.intervals);
        EXPECT_EQ(data.frequencyCode(), row.code);
        EXPECT_EQ(data.GetMinutesPerInterval().toInt(), row.minutes);
        EXPECT_EQ(data.GetCurrentIntervalsInDay().toInt(), row.intervals);
        EXPECT_EQ(data.command(DataDDProcedure::WriteValue).CommandText(), QString("WRITEDD") + row.code);
    }
}

TEST(DataDDIntFrequency, FifteenMinuteProceduresAndTheirParameters)
{
    DbConnection unopened;
    DataDDInt data;
    data.ConnectTo(unopened, 96);
    const QStringList names = {"WRITEDDF", "SEEKFDDF", "SEEKNEXTDDF", "DELETEDDF",
                               "SETFDDF",  "SEEKDDF_C", "WRITEDDF_C", "DELETEDDF_C"};
    for (int index = 0; index < names.size(); ++index)
        EXPECT_EQ(data.command(DataDDProcedure(index)).CommandText(), names[index]);

    // type codes: 7 date, 3 integer, 5 double, 200 text, 202 Unicode text; 1 in, 2 out.
    EXPECT_EQ(signature(data.command(DataDDProcedure::SeekValue)),
              QStringList({"datestamp_1 7 0 1", "varid_2 3 0 1", "curvalue_3 5 0 2", "textvalue_4 202 255 2",
                           "varid_5 3 0 2", "audituser 200 50 2", "audittimestamp 7 0 2", "datestamp_out 7 0 2",
                           "slotstarttime 7 0 1", "slotendtime 7 0 1", "status 3 0 2", "forced 3 0 2"}));
    EXPECT_EQ(signature(data.command(DataDDProcedure::WriteValue)),
              QStringList({"date 7 0 1", "varid 3 0 1", "value 5 0 1", "textvalue 202 255 1", "audituser 200 50 1",
                           "slotstarttime 7 0 1", "slotendtime 7 0 1", "status 3 0 1"}));
    EXPECT_EQ(signature(data.command(DataDDProcedure::DeleteValue)),
              QStringList({"slotstarttime 7 0 1", "varid 3 0 1", "audituser 200 50 1", "slotendtime 7 0 1"}));
    EXPECT_EQ(signature(data.command(DataDDProcedure::SetForced)),
              QStringList({"slotstarttime 7 0 1", "slotendtime 7 0 1", "varid 3 0 1", "audituser 200 50 1",
                           "forced 3 0 1"}));
    EXPECT_EQ(signature(data.command(DataDDProcedure::SeekNext)),
              QStringList({"varid_in 3 0 1", "slotstart_in 7 0 1", "slotend_in 7 0 1", "topnum_in 3 0 1",
                           "varid_out 3 0 2", "datestamp_out 7 0 2", "curvalue_out 5 0 2", "textvalue_out 202 255 2",
                           "audituser_out 200 50 2", "audittimestamp_out 7 0 2", "status_out 3 0 2",
                           "forced_out 3 0 2"}));
    EXPECT_EQ(signature(data.command(DataDDProcedure::SeekComment)),
              QStringList({"varid_in 3 0 1", "comment_out 202 2000 2", "audituser 200 50 2", "audittimestamp 7 0 2",
                           "slotstarttime 7 0 1", "slotendtime 7 0 1"}));
    EXPECT_EQ(signature(data.command(DataDDProcedure::WriteComment)),
              QStringList({"datestamp_1 7 0 1", "varid_2 3 0 1", "comment_in 202 2000 1", "audituser 200 50 1",
                           "slotstarttime 7 0 1", "slotendtime 7 0 1"}));
    EXPECT_EQ(signature(data.command(DataDDProcedure::DeleteComment)),
              QStringList({"slotstarttime 7 0 1", "varid_2 3 0 1", "slotendtime 7 0 1", "audituser 200 50 1"}));

    // Switching the frequency rebuilds every command under the new code.
    data.ConnectTo(unopened, 6);
    EXPECT_EQ(data.command(DataDDProcedure::DeleteComment).CommandText(), "DELETEDD4_C");
    EXPECT_EQ(data.GetMinutesPerInterval().toInt(), 240);
}

TEST(DataDDIntFrequency, UseBeforeConnectToRaisesError91)
{
    DataDDInt data;
    QString comment;
    try {
        data.SeekComment(at("2024-03-05 10:00:00"), 1, comment);
        ADD_FAILURE() << "a seek without commands did not raise";
    } catch (const RaisedError& error) {
        EXPECT_EQ(error.number(), 91);
    }
    // SetStatus swallows every error.
    EXPECT_NO_THROW(data.SetStatus(at("2024-03-05 10:00:00"), 1, 2));
}

TEST(DataDDIntSlotStart, ByIntervalsPerDay)
{
    struct Row {
        const char* name;
        qint32 intervals;
        QDateTime time;
        const char* start;
    };
    const Row rows[] = {
        {"FourHoursEndOfSlot", 6, at("2024-03-05 19:59:59"), "2024-03-05 16:00:00"},
        {"FourHoursSlotStart", 6, at("2024-03-05 20:00:00"), "2024-03-05 20:00:00"},
        {"FourHoursBeforeMidnight", 6, atMs("2024-03-05 23:59:59.900"), "2024-03-05 20:00:00"},
        {"FourHoursMidnight", 6, at("2024-03-06 00:00:00"), "2024-03-06 00:00:00"},
        {"Hour", 24, at("2024-03-05 13:47:10"), "2024-03-05 13:00:00"},
        {"ThirtyMinutes", 48, at("2024-03-05 13:30:00"), "2024-03-05 13:30:00"},
        {"ThirtyMinutesBefore", 48, at("2024-03-05 13:29:59"), "2024-03-05 13:00:00"},
        {"FifteenMinutes", 96, at("2024-03-05 10:44:59"), "2024-03-05 10:30:00"},
        {"FiveMinutes", 288, at("2024-03-05 10:37:00"), "2024-03-05 10:35:00"},
        {"Minute", 1440, at("2024-03-05 10:37:45"), "2024-03-05 10:37:00"},
        {"Second", 86400, atMs("2024-03-05 10:37:45.250"), "2024-03-05 10:37:45"},
        {"OtherCount", 12, at("2024-03-05 10:37:45"), "2024-03-05 00:00:00"},
    };
    DbConnection unopened;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DataDDInt data;
        data.ConnectTo(unopened, row.intervals);
        EXPECT_EQ(data.GetSlotStartDateTime(row.time), at(row.start));
    }
}

class DataDDIntDatabase : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        LB_REQUIRE_PG();
        m_env = std::make_unique<TargetEnvironment>(GetParam());
        ASSERT_TRUE(m_env->addFacility("North", "North Plant"));
        // The manager reads the password file of the environment's home when it is made.
        m_manager = std::make_unique<ConnectionManager>();
        ASSERT_TRUE(ConfigureConnectionManager(*m_manager));
        m_manager->ConfigCnn4FACILITY(m_facility, "NORTH");
        ASSERT_NO_THROW(m_facility.Open());
        WriteAsUser.clear();
    }
    void TearDown() override { WriteAsUser.clear(); }

    int addVariable(const QString& name, const QString& vartype)
    {
        PlantVariable variable;
        variable.facility = "North";
        variable.name = name;
        variable.vartype = vartype;
        const int varid = m_env->plant().addVariable(variable);
        EXPECT_GT(varid, 0) << m_env->plant().lastError().toStdString();
        return varid;
    }

    QList<QVariantMap> rows(const QString& table, int varid)
    {
        return m_env->plant().rows("select varid, datestamp, curvalue, textvalue, status, forced, audituser from north." +
                                   table + " where varid = " + QString::number(varid) + " order by datestamp");
    }

    QList<QVariantMap> comments(const QString& table, int varid)
    {
        return m_env->plant().rows("select varid, datestamp, comment, audituser from north." + table +
                                   " where varid = " + QString::number(varid) + " order by datestamp");
    }

    std::unique_ptr<TargetEnvironment> m_env;
    std::unique_ptr<ConnectionManager> m_manager;
    DbConnection m_facility;
};

// One value per frequency lands in its own table with the slot's date stamp,
// number, text, status and audit user, and is read back by the seek.
TEST_P(DataDDIntDatabase, WriteAndSeekEveryFrequency)
{
    struct Row {
        const char* vartype;
        qint32 intervals;
        const char* table;
        const char* slotStart;
        const char* dateStamp;
    };
    const Row frequencies[] = {
        {"4", 6, "datadd4", "2024-03-05 20:00:00", "2024-03-05 23:59:59"},
        {"N", 24, "dataddh", "2024-03-05 23:00:00", "2024-03-05 23:30:00"},
        {"Q", 48, "datadd3", "2024-03-05 13:30:00", "2024-03-05 13:47:10"},
        {"F", 96, "dataddf", "2024-03-05 10:15:00", "2024-03-05 10:29:59"},
        {"5", 288, "datadd5", "2024-03-05 10:35:00", "2024-03-05 10:37:00"},
        {"1", 1440, "datadd1", "2024-03-05 10:37:00", "2024-03-05 10:37:45"},
    };
    int status = 1;
    for (const Row& row : frequencies) {
        SCOPED_TRACE(row.table);
        const int varid = addVariable(QString("Flow ") + row.vartype, row.vartype);
        DataDDInt data;
        data.ConnectTo(m_facility, row.intervals);
        EXPECT_EQ(data.GetSlotStartDateTime(at(row.dateStamp)), at(row.slotStart));

        data.WriteData(at(row.slotStart), at(row.dateStamp), varid, 7.25 + status, "  7.25 mg/l ", status);
        const QList<QVariantMap> stored = rows(row.table, varid);
        ASSERT_EQ(stored.size(), 1);
        EXPECT_EQ(stored[0]["datestamp"].toDateTime(), at(row.dateStamp));
        EXPECT_DOUBLE_EQ(stored[0]["curvalue"].toDouble(), 7.25 + status);
        EXPECT_EQ(stored[0]["textvalue"].toString(), "  7.25 mg/l ");
        EXPECT_EQ(stored[0]["status"].toInt(), status);
        EXPECT_EQ(stored[0]["audituser"].toString(), "VIA_K52907");

        QDateTime dateStamp;
        double value = 0;
        QString text;
        QString auditUser;
        QDateTime auditTime;
        qint32 seekStatus = -9;
        qint32 forced = -9;
        data.SeekData(at(row.slotStart), varid, dateStamp, value, text, &auditUser, &auditTime, &seekStatus, &forced);
        EXPECT_FALSE(data.NoMatch().toBool());
        EXPECT_EQ(dateStamp, at(row.dateStamp));
        EXPECT_DOUBLE_EQ(value, 7.25 + status);
        EXPECT_EQ(text, "7.25 mg/l");
        EXPECT_EQ(auditUser, "VIA_K52907");
        EXPECT_TRUE(auditTime.isValid());
        EXPECT_EQ(seekStatus, status);
        EXPECT_EQ(forced, 0);

        // The next slot holds nothing: the outputs stay as they were.
        const QDateTime nextSlot = at(row.slotStart).addSecs(qint64(data.GetMinutesPerInterval().toInt()) * 60);
        data.SeekData(nextSlot, varid, dateStamp, value, text, &auditUser);
        EXPECT_TRUE(data.NoMatch().toBool());
        EXPECT_EQ(dateStamp, at(row.dateStamp));
        EXPECT_EQ(text, "7.25 mg/l");
        ++status;
    }
}

TEST_P(DataDDIntDatabase, SendsTheParametersInTheProceduresOrder)
{
    const int varid = addVariable("Level", "H");
    DataDDInt data;
    data.ConnectTo(m_facility, 24);
    WriteAsUser = "O'Neil";
    data.WriteData(at("2024-03-05 13:00:00"), at("2024-03-05 13:47:10"), varid, 1.5, "it's", 2);
    EXPECT_EQ(data.command(DataDDProcedure::WriteValue).lastStatement(),
              QString("CALL WRITEDDH('2024-03-05 13:47:10', %1, 1.5, 'it''s', 'O''Neil', '2024-03-05 13:00:00', "
                      "'2024-03-05 14:00:00', 2)")
                  .arg(varid));
    const QList<QVariantMap> stored = rows("dataddh", varid);
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0]["audituser"].toString(), "O'Neil");
    EXPECT_EQ(stored[0]["textvalue"].toString(), "it's");
}

// A 4-hour slot ends where the next begins, and the last slot of a day ends at
// the next day's midnight: values on either side of those instants are kept
// apart, and a second value in a slot replaces the first.
TEST_P(DataDDIntDatabase, SlotBoundariesAroundMidnightAndTheEndOfAFourHourSlot)
{
    const int varid = addVariable("Ammonia", "4");
    DataDDInt data;
    data.ConnectTo(m_facility, 6);
    const QDateTime times[] = {at("2024-03-05 19:59:59"), at("2024-03-05 20:00:00"), at("2024-03-05 23:59:59"),
                               at("2024-03-06 00:00:00")};
    double value = 1;
    for (const QDateTime& time : times) {
        data.WriteData(data.GetSlotStartDateTime(time), time, varid, value, QString(), 0);
        value += 1;
    }
    QList<QVariantMap> stored = rows("datadd4", varid);
    ASSERT_EQ(stored.size(), 3);
    EXPECT_EQ(stored[0]["datestamp"].toDateTime(), at("2024-03-05 19:59:59"));
    EXPECT_DOUBLE_EQ(stored[0]["curvalue"].toDouble(), 1);
    // 20:00 and 23:59:59 share the 20:00 slot: the later write replaced the earlier.
    EXPECT_EQ(stored[1]["datestamp"].toDateTime(), at("2024-03-05 23:59:59"));
    EXPECT_DOUBLE_EQ(stored[1]["curvalue"].toDouble(), 3);
    EXPECT_EQ(stored[2]["datestamp"].toDateTime(), at("2024-03-06 00:00:00"));
    EXPECT_DOUBLE_EQ(stored[2]["curvalue"].toDouble(), 4);

    QDateTime dateStamp;
    double found = 0;
    QString text;
    data.SeekData(at("2024-03-05 20:00:00"), varid, dateStamp, found, text);
    EXPECT_EQ(dateStamp, at("2024-03-05 23:59:59"));
    data.SeekData(at("2024-03-06 00:00:00"), varid, dateStamp, found, text);
    EXPECT_DOUBLE_EQ(found, 4);

    // Deleting the 20:00 slot leaves its neighbours.
    data.DeleteData(at("2024-03-05 20:00:00"), varid);
    stored = rows("datadd4", varid);
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0]["datestamp"].toDateTime(), at("2024-03-05 19:59:59"));
    EXPECT_EQ(stored[1]["datestamp"].toDateTime(), at("2024-03-06 00:00:00"));
    data.SeekData(at("2024-03-05 20:00:00"), varid, dateStamp, found, text);
    EXPECT_TRUE(data.NoMatch().toBool());
}

TEST_P(DataDDIntDatabase, SeekNextCountsTheRowsOfARange)
{
    const int varid = addVariable("Turbidity", "H");
    DataDDInt data;
    data.ConnectTo(m_facility, 24);
    data.WriteData(at("2024-03-05 22:00:00"), at("2024-03-05 22:10:00"), varid, 1, "one", 0);
    data.WriteData(at("2024-03-05 23:00:00"), at("2024-03-05 23:59:00"), varid, 2, "two", 1);
    data.WriteData(at("2024-03-06 00:00:00"), at("2024-03-06 00:00:00"), varid, 3, "three", 2);

    const QDateTime from = at("2024-03-05 00:00:00");
    const QDateTime to = at("2024-03-06 00:00:00");
    QDateTime date;
    double value = 0;
    QString text;
    QString user;
    QDateTime auditTime;
    qint32 status = -1;
    qint32 forced = -1;
    for (const qint32 nth : {0, -5, 1}) {
        data.SeekNext(from, to, varid, date, value, text, nth, &user, &auditTime, &status, &forced);
        EXPECT_FALSE(data.NoMatch().toBool()) << nth;
        EXPECT_EQ(date, at("2024-03-05 22:10:00")) << nth;
        EXPECT_EQ(text, "one");
    }
    data.SeekNext(from, to, varid, date, value, text, 2, &user, &auditTime, &status, &forced);
    EXPECT_EQ(date, at("2024-03-05 23:59:00"));
    EXPECT_DOUBLE_EQ(value, 2);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(user, "VIA_K52907");
    // The range ends before midnight's row.
    data.SeekNext(from, to, varid, date, value, text, 3);
    EXPECT_TRUE(data.NoMatch().toBool());
    EXPECT_DOUBLE_EQ(value, 2);
}

TEST_P(DataDDIntDatabase, ForcedAndStatusChanges)
{
    const int varid = addVariable("Chlorine", "F");
    DataDDInt data;
    data.ConnectTo(m_facility, 96);
    data.WriteData(at("2024-03-05 10:15:00"), at("2024-03-05 10:20:00"), varid, 0.55, "0.55", 1);

    // Any time within the slot finds it.
    data.SetForced(at("2024-03-05 10:29:59"), varid, -1);
    QList<QVariantMap> stored = rows("dataddf", varid);
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0]["forced"].toInt(), -1);

    // The same status writes nothing (the audit user of the row stays).
    WriteAsUser = "CHANGED";
    data.SetStatus(at("2024-03-05 10:16:00"), varid, 1);
    stored = rows("dataddf", varid);
    EXPECT_EQ(stored[0]["audituser"].toString(), "VIA_K52907");

    // Another status rewrites the row with its stored date stamp, value and text.
    data.SetStatus(at("2024-03-05 10:16:00"), varid, 3);
    stored = rows("dataddf", varid);
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0]["status"].toInt(), 3);
    EXPECT_EQ(stored[0]["audituser"].toString(), "CHANGED");
    EXPECT_EQ(stored[0]["datestamp"].toDateTime(), at("2024-03-05 10:20:00"));
    EXPECT_DOUBLE_EQ(stored[0]["curvalue"].toDouble(), 0.55);
    EXPECT_EQ(stored[0]["textvalue"].toString(), "0.55");
    EXPECT_EQ(stored[0]["forced"].toInt(), -1);

    // A slot without a row: nothing happens, nothing is raised.
    EXPECT_NO_THROW(data.SetStatus(at("2024-03-05 11:00:00"), varid, 3));
    EXPECT_EQ(rows("dataddf", varid).size(), 1);
}

TEST_P(DataDDIntDatabase, CommentsBySlot)
{
    const int varid = addVariable("Colour", "B");
    DataDDInt data;
    data.ConnectTo(m_facility, 24);
    WriteAsUser = "ANALYST";
    data.WriteComment(at("2024-03-05 23:00:00"), at("2024-03-05 23:45:00"), varid, "Sample late; retested");
    data.WriteComment(at("2024-03-06 00:00:00"), at("2024-03-06 00:05:00"), varid, "next day");
    QList<QVariantMap> stored = comments("dataddh_c", varid);
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored[0]["datestamp"].toDateTime(), at("2024-03-05 23:45:00"));
    EXPECT_EQ(stored[0]["comment"].toString(), "Sample late; retested");
    EXPECT_EQ(stored[0]["audituser"].toString(), "ANALYST");

    QString comment = "untouched";
    QString user;
    QDateTime auditTime;
    data.SeekComment(at("2024-03-05 23:00:00"), varid, comment, &user, &auditTime);
    EXPECT_FALSE(data.NoMatch().toBool());
    EXPECT_EQ(comment, "Sample late; retested");
    EXPECT_EQ(user, "ANALYST");
    EXPECT_TRUE(auditTime.isValid());

    // A stored null audit time reads as the zero date.
    ASSERT_TRUE(m_env->plant().exec("update north.dataddh_c set audittimestamp = null where varid = " +
                                    QString::number(varid)));
    data.SeekComment(at("2024-03-05 23:00:00"), varid, comment, &user, &auditTime);
    EXPECT_EQ(auditTime, DateText::ZeroDate());

    // Deleting one slot's comment leaves the other; a seek of the empty slot
    // reports no match and keeps the outputs.
    data.DeleteComment(at("2024-03-05 23:00:00"), varid);
    stored = comments("dataddh_c", varid);
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0]["comment"].toString(), "next day");
    comment = "kept";
    data.SeekComment(at("2024-03-05 23:00:00"), varid, comment);
    EXPECT_TRUE(data.NoMatch().toBool());
    EXPECT_EQ(comment, "kept");

    // An empty stored comment is no comment.
    data.WriteComment(at("2024-03-05 22:00:00"), at("2024-03-05 22:00:00"), varid, "");
    data.SeekComment(at("2024-03-05 22:00:00"), varid, comment);
    EXPECT_TRUE(data.NoMatch().toBool());
    EXPECT_EQ(comment, "kept");
}

TEST_P(DataDDIntDatabase, StoredNullsAndErrorsReachTheCaller)
{
    const int varid = addVariable("pH", "3");
    DataDDInt data;
    data.ConnectTo(m_facility, 48);
    const QString id = QString::number(varid);
    ASSERT_TRUE(m_env->plant().exec("insert into north.datadd3 (varid, datestamp, curvalue, textvalue, audituser) values (" +
                                    id + ", '2024-03-05 10:30:00', 7, null, null)"));
    QDateTime dateStamp;
    double value = 0;
    QString text = "old";
    QString user = "old";
    QDateTime auditTime;
    data.SeekData(at("2024-03-05 10:30:00"), varid, dateStamp, value, text, &user, &auditTime);
    EXPECT_EQ(text, "");
    EXPECT_EQ(user, "");
    EXPECT_EQ(auditTime, DateText::ZeroDate());

    // A row without a value is the run-time error for a null value.
    ASSERT_TRUE(m_env->plant().exec("update north.datadd3 set curvalue = null where varid = " + id));
    try {
        data.SeekData(at("2024-03-05 10:30:00"), varid, dateStamp, value, text);
        ADD_FAILURE() << "a null value was read";
    } catch (const RaisedError& error) {
        EXPECT_EQ(error.number(), 94);
    }

    // Text values longer than the parameter are refused before the call.
    EXPECT_THROW(data.WriteData(at("2024-03-05 11:00:00"), at("2024-03-05 11:00:00"), varid, 1, QString(256, 'x'), 0),
                 RaisedError);
    // A closed connection is an error of the caller's.
    m_facility.Close();
    EXPECT_THROW(data.DeleteData(at("2024-03-05 10:30:00"), varid), RaisedError);
}

INSTANTIATE_TEST_SUITE_P(BothDialects, DataDDIntDatabase, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "Oracle" : "SqlServer"; });
