#include "source/SourceQueryText.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace limsbridge;
using namespace limsbridge::SourceQueryText;

namespace {

QDateTime at(int year, int month, int day, int hour, int minute, int second) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

// The machine's locale must not reach the SQL text: run every case under a
// locale with other month names and no AM/PM.
class GermanDefaultLocale : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = QLocale();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    void TearDown() override { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

} // namespace

using SourceDateLiterals = GermanDefaultLocale;

TEST_F(SourceDateLiterals, EachKindWritesItsDialect) {
    struct Row {
        const char* name;
        QDateTime date;
        const char* oracle;
        const char* sqlServer;
        const char* access;
    };
    const Row rows[] = {
        {"afternoon", at(2024, 3, 5, 13, 30, 0),
         " TO_DATE('05-Mar-2024 01:30:00 PM', 'dd-Mon-yyyy HH:MI:SS AM') ", "'2024-03-05 13:30:00'",
         "#2024-03-05 13:30:00#"},
        {"midnight", at(2024, 12, 31, 0, 0, 0),
         " TO_DATE('31-Dec-2024 12:00:00 AM', 'dd-Mon-yyyy HH:MI:SS AM') ", "'2024-12-31 00:00:00'",
         "#2024-12-31 00:00:00#"},
        {"noon", at(2023, 5, 1, 12, 5, 9), " TO_DATE('01-May-2023 12:05:09 PM', 'dd-Mon-yyyy HH:MI:SS AM') ",
         "'2023-05-01 12:05:09'", "#2023-05-01 12:05:09#"},
        {"morning", at(2025, 10, 9, 9, 7, 3),
         " TO_DATE('09-Oct-2025 09:07:03 AM', 'dd-Mon-yyyy HH:MI:SS AM') ", "'2025-10-09 09:07:03'",
         "#2025-10-09 09:07:03#"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(OracleDateLiteral(row.date), QString::fromLatin1(row.oracle));
        EXPECT_EQ(SqlServerDateLiteral(row.date), QString::fromLatin1(row.sqlServer));
        EXPECT_EQ(AccessDateLiteral(row.date), QString::fromLatin1(row.access));
        EXPECT_EQ(DateLiteral(kOracle, row.date), QString::fromLatin1(row.oracle));
        EXPECT_EQ(DateLiteral(kSqlServer, row.date), QString::fromLatin1(row.sqlServer));
        EXPECT_EQ(DateLiteral(kAccess, row.date), QString::fromLatin1(row.access));
        EXPECT_EQ(DateLiteral(0, row.date), QString());
        EXPECT_EQ(DateLiteral(4, row.date), QString());
    }
}

TEST(SourcePlaceholders, ReplacesEveryExactPlaceholderAndNothingElse) {
    struct Row {
        const char* name;
        const char* query;
        const char* expected;
    };
    const Row rows[] = {
        {"start twice", "a >= #SD# AND b >= #SD# AND c < #ED#", "a >= 'S' AND b >= 'S' AND c < 'E'"},
        {"lower case stays", "a >= #sd# AND c < #ed# AND d = #SD#", "a >= #sd# AND c < #ed# AND d = 'S'"},
        {"mixed case stays", "a >= #Sd# AND c < #eD#", "a >= #Sd# AND c < #eD#"},
        {"no placeholders", "SELECT 1", "SELECT 1"},
        {"end before start", "#ED##SD#", "'E''S'"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ReplaceDatePlaceholders(QString::fromLatin1(row.query), "'S'", "'E'"),
                  QString::fromLatin1(row.expected))
            << row.name;
}

TEST(SourceConnectionStrings, EachKindBuildsItsString) {
    struct Row {
        qint16 kind;
        const char* expected;
    };
    const Row rows[] = {
        {1,
         "Provider=OraOLEDB.Oracle;Persist Security Info=False;Data Source=labsrv;User ID=reader;Password=pw;"
         "OLE DB Services =-2;Application Name=52907;Driver={X}"},
        {2, "Provider=OraOLEDB.Oracle;Persist Security Info=False;Data Source=labsrv;Initial Catalog=LIMS;"
            "User ID=reader;Password=pw;OLE DB Services =-2;Application Name=52907;Driver={X}"},
        {3, "Provider=OraOLEDB.Oracle;Data Source=labsrv;Jet OLEDB:System Database=LIMS;User Id=reader;"
            "Password=pw;Driver={X}"},
        {0, ""},
        {4, ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(BuildSourceConnectionString(row.kind, "OraOLEDB.Oracle", "labsrv", "LIMS", "reader", "pw",
                                              "Driver={X}"),
                  QString::fromLatin1(row.expected))
            << "kind " << row.kind;
}
