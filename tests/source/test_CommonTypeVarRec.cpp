// The variable record (text list, symbol rules, conversions of database
// values) and the source result record's initial state.
#include "source/CommonTypeLimsMatchRec.h"
#include "source/CommonTypeVarRec.h"

#include <gtest/gtest.h>

using namespace limsbridge;

static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

TEST(CommonTypeVarRec, TextListCountsDistinctNonEmptyItemsFromOne) {
    CommonTypeVarRec rec;
    rec.LoadTextListHash("Clear\t cloudy \t\tCLEAR\tRain");
    struct Row {
        const char* text;
        qint16 index;
    };
    const Row rows[] = {
        {"clear", 1},  {"CLOUDY", 2}, {"Rain", 3}, {" rain", 3},
        {"rain  ", 3}, {"snow", 0},   {"", 0},     {"   ", 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(rec.GetTextListHashIndex(row.text), row.index) << row.text;
}

TEST(CommonTypeVarRec, TextIndexWithoutListIsZero) {
    const CommonTypeVarRec rec;
    EXPECT_EQ(rec.GetTextListHashIndex("Clear"), 0);
    EXPECT_EQ(rec.GetTextListHashIndex(""), 0);
}

TEST(CommonTypeVarRec, SymbolsAreKeptInTheOrderAdded) {
    CommonTypeVarRec rec;
    EXPECT_EQ(rec.SymbolCount(), 0);
    rec.AddSymbol("<", false, 2, 0.5);
    rec.AddSymbol(">", true, 3, 1.5);
    EXPECT_EQ(rec.SymbolCount(), 2);

    QString symbol;
    bool allowNumeric = false;
    qint16 rule = 0;
    double factor = 0;
    rec.GetSymbolByIndex(1, symbol, allowNumeric, rule, factor);
    EXPECT_EQ(symbol, ">");
    EXPECT_TRUE(allowNumeric);
    EXPECT_EQ(rule, 3);
    EXPECT_EQ(factor, 1.5);
    rec.GetSymbolByIndex(0, symbol, allowNumeric, rule, factor);
    EXPECT_EQ(symbol, "<");
    EXPECT_FALSE(allowNumeric);
    EXPECT_EQ(rule, 2);
    EXPECT_EQ(factor, 0.5);
}

TEST(CommonTypeVarRec, SymbolIndexOutsideTheRulesLeavesTheOutputs) {
    CommonTypeVarRec rec;
    rec.AddSymbol("<", false, 2, 0.5);
    for (const int index : {1, -1, 100}) {
        QString symbol = "untouched";
        bool allowNumeric = true;
        qint16 rule = 77;
        double factor = 9.25;
        rec.GetSymbolByIndex(index, symbol, allowNumeric, rule, factor);
        EXPECT_EQ(symbol, "untouched") << index;
        EXPECT_TRUE(allowNumeric) << index;
        EXPECT_EQ(rule, 77) << index;
        EXPECT_EQ(factor, 9.25) << index;
    }
}

TEST(CommonTypeVarRec, DecPlacesFromDatabaseValues) {
    struct Row {
        const char* name;
        QVariant value;
        qint16 expected;
    };
    const Row rows[] = {
        {"null", QVariant(), 5},
        {"typed null", QVariant(QMetaType(QMetaType::Int)), 5},
        {"text 2", QVariant(QStringLiteral("2")), 2},
        {"integer 3", QVariant(3), 3},
        {"keep decimals", QVariant(9999), CommonTypeVarRec::kKeepDecimals},
        {"half to even", QVariant(2.5), 2},
        {"text", QVariant(QStringLiteral("two")), 5},
        {"out of range", QVariant(40000), 5},
        {"out of range text", QVariant(QStringLiteral("-40000")), 5},
        {"zero", QVariant(0), 0},
    };
    for (const Row& row : rows) {
        CommonTypeVarRec rec;
        rec.setDecPlaces(QVariant(7)); // a value that every row must replace
        rec.setDecPlaces(row.value);
        EXPECT_EQ(rec.gDecPlaces(), row.expected) << row.name;
    }
}

TEST(CommonTypeVarRec, TextPropertiesTurnNullIntoEmptyText) {
    CommonTypeVarRec rec;
    rec.setName(QVariant(QStringLiteral("Old")));
    rec.setName(QVariant());
    rec.setUnits(QVariant(QStringLiteral("mg/l")));
    rec.setDesc(QVariant(QMetaType(QMetaType::QString)));
    rec.setLimsLocation(QVariant(QStringLiteral("Inlet")));
    rec.setLimsTest(QVariant(QStringLiteral("BOD")));
    rec.setLimsUD1(QVariant(12));
    rec.setLimsUD2(QVariant());
    rec.setLimsUD3(QVariant(QStringLiteral("x")));
    EXPECT_EQ(rec.gName(), "");
    EXPECT_EQ(rec.gUnits(), "mg/l");
    EXPECT_EQ(rec.gDesc(), "");
    EXPECT_EQ(rec.gLimsLocation(), "Inlet");
    EXPECT_EQ(rec.gLimsTest(), "BOD");
    EXPECT_EQ(rec.gLimsUd1(), "12");
    EXPECT_EQ(rec.gLimsUd2(), "");
    EXPECT_EQ(rec.gLimsUd3(), "x");
}

TEST(CommonTypeVarRec, PlainFieldsAreReadBackUnchanged) {
    CommonTypeVarRec rec;
    EXPECT_FALSE(rec.gLimitToLIST());
    EXPECT_FALSE(rec.gAllowSymbol());
    EXPECT_EQ(rec.gDataApproval(), 0);
    rec.setFacilID("PLANT1");
    rec.setId(4711);
    rec.setNumber(120);
    rec.setVartype("Q");
    rec.setDataApproval(3);
    rec.setAllowSymbol(true);
    rec.setLimitToLIST(true);
    EXPECT_EQ(rec.gFacilID(), "PLANT1");
    EXPECT_EQ(rec.gID(), 4711);
    EXPECT_EQ(rec.gNumber(), 120);
    EXPECT_EQ(rec.gVarType(), "Q");
    EXPECT_EQ(rec.gDataApproval(), 3);
    EXPECT_TRUE(rec.gAllowSymbol());
    EXPECT_TRUE(rec.gLimitToLIST());
}

TEST(CommonTypeLimsMatchRec, StartsEmpty) {
    const CommonTypeLimsMatchRec rec;
    EXPECT_TRUE(rec.LimsLocation.isEmpty());
    EXPECT_TRUE(rec.LimsTest.isEmpty());
    EXPECT_FALSE(rec.LimsCollectedDate.isValid());
    for (const QVariant* member :
         {&rec.LimsUD1, &rec.LimsUD2, &rec.LimsUD3, &rec.LimsUnits, &rec.LimsResult, &rec.LimsResultStatus,
          &rec.LimsAuditUser, &rec.LimsAuditTimeStamp, &rec.LimsSampleIdentifier})
        EXPECT_FALSE(member->isValid());
    EXPECT_EQ(rec.LimsAINFO, nullptr);
    EXPECT_TRUE(rec.LIMSResultComment.isEmpty());
}
