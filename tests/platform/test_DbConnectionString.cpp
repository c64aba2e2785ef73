// Taking OLE DB connection strings apart: keys without regard to case or
// blanks, quoted and braced values, the last of repeated keys.
#include "platform/DbConnectionString.h"

#include "test_DbSupport.h"

using namespace limsbridge;

namespace {

struct LookupCase {
    const char* name;
    const char* text;
    const char* key;
    const char* expected;
    bool present;
};

const LookupCase lookupCases[] = {
    {"ProviderOfTargetString",
     "Provider=SQLNCLI11;Persist Security Info=False;Data Source=localhost\\qorsql;Initial Catalog=QORROOT;"
     "User ID=QORDBA;Password=secret;OLE DB Services =-2;Application Name=52907;",
     "Provider", "SQLNCLI11", true},
    {"KeyInOtherCase", "Provider=PostgreSQL;Data Source=db:5433/oxmo;", "DATA SOURCE", "db:5433/oxmo", true},
    {"KeyWithBlankBeforeEquals", "Provider=X;OLE DB Services =-2;", "OLE DB Services", "-2", true},
    {"KeyWithDoubleBlankInside", "Provider=X;Initial  Catalog = FAC1 ;", "initial catalog", "FAC1", true},
    {"ValueTrimmed", "User ID=  QORROOT  ;", "User ID", "QORROOT", true},
    {"DoubleQuotedValueHoldsSemicolon", "Password=\"a;b\";User ID=u", "Password", "a;b", true},
    {"SingleQuotedValueWithDoubledQuote", "Password='it''s';User ID=u", "Password", "it's", true},
    {"BracedDriverName", "Provider=OraOLEDB.Oracle;Driver={Oracle 21 ODBC; driver};DBQ=x", "Driver",
     "{Oracle 21 ODBC; driver}", true},
    {"LastOfRepeatedKeysWins", "Password=first;password=second;", "Password", "second", true},
    {"EmptyValue", "Provider=SQLite;Password=;", "Password", "", true},
    {"MissingKey", "Provider=SQLite;Data Source=/tmp/a.db", "Password", "", false},
    {"NoTrailingSemicolon", "Provider=SQLite;Data Source=/tmp/a.db", "Data Source", "/tmp/a.db", true},
    {"EqualsInsideValue", "Provider=PostgreSQL;options=-c geqo=off;", "options", "-c geqo=off", true},
    {"PieceWithoutEqualsIgnored", "Provider=SQLite;junk;Data Source=x;", "Data Source", "x", true},
    {"JetSystemDatabaseKey", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=a.mdb;Jet OLEDB:System Database=s.mdw;",
     "jet oledb:system database", "s.mdw", true},
};

class DbConnectionStringLookup : public ::testing::TestWithParam<LookupCase> {};

} // namespace

TEST_P(DbConnectionStringLookup, FindsValue) {
    const LookupCase& row = GetParam();
    const DbConnectionString parsed{QString::fromUtf8(row.text)};
    EXPECT_EQ(parsed.contains(row.key), row.present);
    EXPECT_EQ(parsed.value(row.key).toStdString(), std::string(row.expected));
    EXPECT_EQ(parsed.raw().toStdString(), std::string(row.text));
}

INSTANTIATE_TEST_SUITE_P(Table, DbConnectionStringLookup, ::testing::ValuesIn(lookupCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DbConnectionString, PairsKeepOrderAndSpellingWithRepeatedKeysOnce) {
    const DbConnectionString parsed("Provider=PostgreSQL; Data Source = h/db ;sslmode=disable;PROVIDER=SQLite;");
    ASSERT_EQ(parsed.pairs().size(), 3);
    EXPECT_EQ(parsed.pairs()[0].first, "Provider");
    EXPECT_EQ(parsed.pairs()[0].second, "SQLite");
    EXPECT_EQ(parsed.pairs()[1].first, "Data Source");
    EXPECT_EQ(parsed.pairs()[1].second, "h/db");
    EXPECT_EQ(parsed.pairs()[2].first, "sslmode");
    EXPECT_EQ(parsed.pairs()[2].second, "disable");
}

TEST(DbConnectionString, EmptyTextHasNoKeys) {
    const DbConnectionString parsed("");
    EXPECT_TRUE(parsed.pairs().isEmpty());
    EXPECT_FALSE(parsed.contains("Provider"));
}
