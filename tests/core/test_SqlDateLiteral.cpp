// Date literals in the two SQL dialects of the plant database.
#include "core/Globals.h"
#include "core/SqlDateLiteral.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace limsbridge;

static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

struct Row {
    const char* name;
    qint16 dbType;
    QDateTime date;
    const char* literal;
};

QDateTime at(int year, int month, int day, int hour, int minute, int second) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

const Row kRows[] = {
    {"SqlServer", 2, at(2022, 4, 22, 14, 5, 9), "'2022-04-22 14:05:09'"},
    {"SqlServerMidnight", 2, at(2022, 1, 1, 0, 0, 0), "'2022-01-01 00:00:00'"},
    {"OracleAfternoon", 1, at(2022, 4, 22, 14, 5, 9),
     "TO_DATE('22-Apr-2022 02:05:09 PM','dd-Mon-yyyy HH:MI:SS AM')"},
    {"OracleMidnight", 1, at(2022, 1, 1, 0, 0, 0),
     "TO_DATE('01-Jan-2022 12:00:00 AM','dd-Mon-yyyy HH:MI:SS AM')"},
    {"OracleNoon", 1, at(2021, 12, 31, 12, 0, 0),
     "TO_DATE('31-Dec-2021 12:00:00 PM','dd-Mon-yyyy HH:MI:SS AM')"},
    {"OracleMorning", 1, at(2023, 9, 3, 9, 30, 1),
     "TO_DATE('03-Sep-2023 09:30:01 AM','dd-Mon-yyyy HH:MI:SS AM')"},
    {"OracleLastSecond", 1, at(2024, 2, 29, 23, 59, 59),
     "TO_DATE('29-Feb-2024 11:59:59 PM','dd-Mon-yyyy HH:MI:SS AM')"},
    {"Unknown", 0, at(2022, 4, 22, 14, 5, 9), ""},
    {"Access", 3, at(2022, 4, 22, 14, 5, 9), ""},
};

class Literal : public ::testing::TestWithParam<Row> {
protected:
    void TearDown() override {
        TargetDbType = 0;
        QLocale::setDefault(QLocale::c());
    }
};

} // namespace

TEST_P(Literal, ByDatabaseType) {
    const Row& row = GetParam();
    TargetDbType = row.dbType;
    EXPECT_EQ(SqlDateLiteral(row.date), QString::fromLatin1(row.literal));
    // The host's locale must not leak into month names or AM/PM.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(SqlDateLiteral(row.date), QString::fromLatin1(row.literal));
}

INSTANTIATE_TEST_SUITE_P(SqlDateLiteral, Literal, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });
