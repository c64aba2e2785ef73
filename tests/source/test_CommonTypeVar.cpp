// The cross-reference matcher and the match finder against a substitute plant
// database: what a laboratory result is matched to, in which order, and what
// the matcher reads with each variable.
#include "core/HashTable.h"
#include "core/QORConfiguration.h"
#include "platform/DbConnection.h"
#include "source/CommonTypeLimsMatchRec.h"
#include "source/CommonTypeVar.h"
#include "source/CommonTypeVarRec.h"
#include "source/CustomSourceMatchFinder.h"
#include "support/target/TargetEnvironment.h"
#include "target/CommonVarGatherer.h"
#include "target/ConnectionManager.h"

#include <gtest/gtest.h>

using namespace limsbridge;
using namespace limsbridge::testing;

namespace {

constexpr int kCollector = 7;

struct MatcherFixture {
    explicit MatcherFixture(int dialect)
        : env(dialect)
    {
        EXPECT_TRUE(env.addFacility("North", "North Plant"));
        EXPECT_TRUE(env.addFacility("South", "South Plant"));
        EXPECT_EQ(env.plant().addCollector("LIMS", kCollector), kCollector);
    }

    int addVariable(const QString& facility, const QString& location, const QString& test, const QString& ud1 = {},
                    const QString& type = "P")
    {
        PlantVariable variable;
        variable.facility = facility;
        variable.name = location + "/" + test;
        variable.vartype = type;
        variable.limsLoc = location;
        variable.limsTest = test;
        variable.limsUd1 = ud1;
        variable.collector = kCollector;
        return env.plant().addVariable(variable);
    }

    bool read(CommonTypeVar& matcher)
    {
        ConnectionManager manager;
        EXPECT_TRUE(ConfigureConnectionManager(manager));
        DbConnection root;
        manager.ConfigCnn4QORROOT(root);
        root.Open();
        EXPECT_TRUE(gatherer.ReadZuriVARU(kCollector, root));
        return matcher.ReadZuriVARU(gatherer, LBID, LBFFN, LBXREF);
    }

    // The keys of the matcher's table in its key order: a table of the same
    // size filled in the gatherer's order walks the same way.
    QStringList keyOrder()
    {
        HashTable<bool> table;
        table.SetSize(2 * gatherer.TotalVariable(), 0, 0);
        for (gatherer.MoveFirst(); !gatherer.EOF_Facility(); gatherer.MoveNext_Facility()) {
            for (; !gatherer.EOF_Variable(); gatherer.MoveNext_Variable())
                table.Add(gatherer.Current_Facility() + "~" + QString::number(gatherer.Current_Variable()), true);
        }
        return table.Keys();
    }

    TargetEnvironment env;
    CommonVarGatherer gatherer;
    QStringList LBID, LBFFN, LBXREF;
};

std::shared_ptr<CommonTypeLimsMatchRec> result(const QString& location, const QString& test, const QString& ud1 = {})
{
    auto record = std::make_shared<CommonTypeLimsMatchRec>();
    record->LimsLocation = location;
    record->LimsTest = test;
    if (!ud1.isEmpty())
        record->LimsUD1 = ud1;
    record->LimsResult = QString("7.25");
    return record;
}

QString key(const QString& facility, int id)
{
    return facility + "~" + QString::number(id);
}

} // namespace

class Matcher : public ::testing::TestWithParam<int> {};

TEST_P(Matcher, LocationTestListsUd1AndKeyOrder)
{
    LB_REQUIRE_PG();
    MatcherFixture f(GetParam());
    const int inlet = f.addVariable("North", "PLANT INLET", "NH3~AMMONIA");
    const int single = f.addVariable("North", "PLANT INLET", "NH3");
    const int grab = f.addVariable("North", "BASIN", "PH", "GRAB");
    const int any = f.addVariable("North", "BASIN", "PH");
    const int south = f.addVariable("South", "PLANT INLET", "NH3");
    CommonTypeVar matcher;
    ASSERT_TRUE(f.read(matcher));
    ASSERT_FALSE(matcher.IgnoreCase());

    // Both variables with the same cross-references, in the table's key order.
    QStringList expected;
    for (const QString& k : f.keyOrder()) {
        if (k == key("NORTH", inlet) || k == key("NORTH", single))
            expected << k;
    }
    EXPECT_EQ(matcher.GetVarFromLocTestL("NORTH", "PLANT INLET", "NH3", "~"), expected.join('\t'));
    EXPECT_EQ(matcher.GetVarFromLocTestL("NORTH", "PLANT INLET", "AMMONIA", "~"), key("NORTH", inlet));
    EXPECT_EQ(matcher.GetVarFromLocTestL("NORTH", "PLANT INLET", "NH3~AMMONIA", "~"), "");
    EXPECT_EQ(matcher.GetVarFromLocTestL("NORTH", "Plant Inlet", "NH3", "~"), "");
    EXPECT_EQ(matcher.GetVarFromLocTestL("NORTH", "PLANT INLET ", "NH3", "~"), "");
    EXPECT_EQ(matcher.GetVarFromLocTestL("SOUTH", "PLANT INLET", "NH3", "~"), key("SOUTH", south));

    // Without a UD1 the record matches whatever the variables' UD1; with one, only that UD1.
    const QString basin = matcher.GetVarFromLocTestL("NORTH", "BASIN", "PH", "~");
    EXPECT_TRUE(basin == key("NORTH", grab) + "\t" + key("NORTH", any) ||
                basin == key("NORTH", any) + "\t" + key("NORTH", grab))
        << basin.toStdString();
    EXPECT_EQ(matcher.GetVarFromLocTestLud1("NORTH", "BASIN", "PH", "GRAB", "~"), key("NORTH", grab));
    EXPECT_EQ(matcher.GetVarFromLocTestLud1("NORTH", "BASIN", "PH", "", "~"), basin);
    EXPECT_EQ(matcher.GetVarFromLocTestLud1("NORTH", "BASIN", "PH", "COMPOSITE", "~"), "");

    // The plain walk gives the same answers as the index.
    matcher.setIndexedLookups(false);
    EXPECT_EQ(matcher.GetVarFromLocTestL("NORTH", "PLANT INLET", "NH3", "~"), expected.join('\t'));
    EXPECT_EQ(matcher.GetVarFromLocTestL("NORTH", "BASIN", "PH", "~"), basin);
    EXPECT_EQ(matcher.GetVarFromLocTestLud1("NORTH", "BASIN", "PH", "GRAB", "~"), key("NORTH", grab));
}

TEST_P(Matcher, IgnoreCaseComparesWithoutLetterCaseButNotBlanks)
{
    LB_REQUIRE_PG();
    MatcherFixture f(GetParam());
    f.env.config().setItem("TARGET\\IGNORECASEDURINGMATCH\\ENABLED", "TRUE");
    const int id = f.addVariable("North", "PLANT INLET", "nh3~Ammonia", "Grab");
    CommonTypeVar matcher;
    ASSERT_TRUE(f.read(matcher));
    ASSERT_TRUE(matcher.IgnoreCase());
    for (bool indexed : {true, false}) {
        matcher.setIndexedLookups(indexed);
        EXPECT_EQ(matcher.GetVarFromLocTestL("NORTH", "Plant Inlet", "AMMONIA", "~"), key("NORTH", id));
        EXPECT_EQ(matcher.GetVarFromLocTestL("NORTH", "Plant Inlet ", "AMMONIA", "~"), "");
        EXPECT_EQ(matcher.GetVarFromLocTestLud1("NORTH", "plant inlet", "NH3", "GRAB", "~"), key("NORTH", id));
    }
}

TEST_P(Matcher, RecordsCarryDefinitionSymbolsAndTextList)
{
    LB_REQUIRE_PG();
    MatcherFixture f(GetParam());
    ASSERT_GT(f.env.plant().addSymbol("<", 1), 0);
    ASSERT_GT(f.env.plant().addSymbol("ND", 0), 0);
    const int value = f.addVariable("North", "BASIN", "TSS");
    ASSERT_TRUE(f.env.plant().exec("update north.vardesc set allowsymbol=-1, source_cnn_approval=3, decplaces=1, "
                                   "units='mg/l' where varid=" + QString::number(value)));
    ASSERT_TRUE(f.env.plant().setSymbolRule("North", value, 1, 2));
    ASSERT_TRUE(f.env.plant().setSymbolRule("North", value, 2, 4, 0.5));
    const int text = f.addVariable("North", "BASIN", "COLOR", {}, "T");
    ASSERT_TRUE(f.env.plant().setTextList("North", text, {"Clear", "Cloudy"}, true));

    CommonTypeVar matcher;
    ASSERT_TRUE(f.read(matcher));
    const auto record = matcher.GetVarRecord("NORTH", value);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->gFacilID(), "NORTH");
    EXPECT_EQ(record->gDataApproval(), 3);
    EXPECT_EQ(record->gDecPlaces(), 1);
    EXPECT_EQ(record->gUnits(), "mg/l");
    EXPECT_TRUE(record->gAllowSymbol());
    ASSERT_EQ(record->SymbolCount(), 2);
    QString symbol;
    bool allowNumeric = false;
    qint16 rule = -1;
    double factor = -1;
    record->GetSymbolByIndex(0, symbol, allowNumeric, rule, factor);
    EXPECT_EQ(symbol, "<");
    EXPECT_TRUE(allowNumeric);
    EXPECT_EQ(rule, 2);
    record->GetSymbolByIndex(1, symbol, allowNumeric, rule, factor);
    EXPECT_EQ(symbol, "ND");
    EXPECT_FALSE(allowNumeric);
    EXPECT_EQ(rule, 4);
    EXPECT_DOUBLE_EQ(factor, 0.5);

    const auto list = matcher.GetVarRecord("north", text);
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->gLimitToLIST());
    EXPECT_EQ(list->GetTextListHashIndex("cloudy"), 2);
    EXPECT_FALSE(matcher.GetVarRecord("NORTH", 999999));
}

TEST_P(Matcher, VariableMissingFromVardescNeverMatches)
{
    LB_REQUIRE_PG();
    MatcherFixture f(GetParam());
    const int id = f.addVariable("North", "BASIN", "PH");
    ConnectionManager manager;
    ASSERT_TRUE(ConfigureConnectionManager(manager));
    DbConnection root;
    manager.ConfigCnn4QORROOT(root);
    root.Open();
    ASSERT_TRUE(f.gatherer.ReadZuriVARU(kCollector, root));
    ASSERT_TRUE(f.gatherer.ADHOCAddVariable("NORTH", 424242));
    CommonTypeVar matcher;
    ASSERT_TRUE(matcher.ReadZuriVARU(f.gatherer, f.LBID, f.LBFFN, f.LBXREF));
    EXPECT_FALSE(matcher.GetVarRecord("NORTH", 424242));
    EXPECT_EQ(matcher.GetVarFromLocTestL("NORTH", "BASIN", "PH", "~"), key("NORTH", id));
}

TEST_P(Matcher, SixteenSymbolsFailTheRead)
{
    LB_REQUIRE_PG();
    MatcherFixture f(GetParam());
    f.addVariable("North", "BASIN", "PH");
    for (int i = 1; i <= 16; ++i)
        ASSERT_GT(f.env.plant().addSymbol("S" + QString::number(i)), 0);
    CommonTypeVar matcher;
    EXPECT_FALSE(f.read(matcher));
}

TEST_P(Matcher, LogbookCrossReferencesFromTheSettings)
{
    LB_REQUIRE_PG();
    MatcherFixture f(GetParam());
    f.addVariable("North", "BASIN", "PH");
    ASSERT_TRUE(f.env.plant().setSetting("North", "LBXREF_12", "ABC"));
    ASSERT_TRUE(f.env.plant().setSetting("North", "LBXREF_13", "X\\CLB:1"));
    ASSERT_TRUE(f.env.plant().setSetting("North", "LBXREF", "short"));
    CommonTypeVar matcher;
    ASSERT_TRUE(f.read(matcher));
    EXPECT_EQ(f.LBID, QStringList({"", "12"}));
    EXPECT_EQ(f.LBFFN, QStringList({"", "NORTH"}));
    EXPECT_EQ(f.LBXREF, QStringList({"", "ABC"}));
}

TEST_P(Matcher, FinderWalksEachMatchOnce)
{
    LB_REQUIRE_PG();
    MatcherFixture f(GetParam());
    const int a = f.addVariable("North", "BASIN", "PH~PH");
    const int grab = f.addVariable("North", "BASIN", "PH", "GRAB");
    CommonTypeVar matcher;
    ASSERT_TRUE(f.read(matcher));

    CustomSourceMatchFinder finder;
    EXPECT_EQ(finder.getCustomResult(), QVariant());
    ASSERT_TRUE(finder.MatchExists(matcher, result("BASIN", "PH"), "NORTH"));
    EXPECT_EQ(finder.RecordCound(), 2);
    QList<int> seen;
    for (; !finder.EOF_(); finder.MoveNext()) {
        EXPECT_EQ(finder.getCustomResult(), QVariant()) << "before CurrentTypeVarRec";
        const auto variable = finder.CurrentTypeVarRec();
        ASSERT_TRUE(variable);
        seen << variable->gID();
        EXPECT_EQ(finder.getCustomResult().toString(), "7.25");
    }
    EXPECT_EQ(finder.getCustomResult(), QVariant()) << "after MoveNext";
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, QList<int>({a, grab}));

    CustomSourceMatchFinder withUd1;
    ASSERT_TRUE(withUd1.MatchExists(matcher, result("BASIN", "PH", "GRAB"), "NORTH"));
    EXPECT_EQ(withUd1.RecordCound(), 1);
    EXPECT_EQ(withUd1.CurrentTypeVarRec()->gID(), grab);

    CustomSourceMatchFinder none;
    EXPECT_FALSE(none.MatchExists(matcher, result("BASIN", "PH", "COMPOSITE"), "NORTH"));
    EXPECT_TRUE(none.EOF_());
    EXPECT_EQ(none.RecordCound(), 0);
    QString logbook = "unchanged";
    EXPECT_FALSE(none.MatchExistsLogbook(logbook, result("BASIN", "PH"), "NORTH", f.LBID, f.LBFFN, f.LBXREF));
    EXPECT_EQ(logbook, "unchanged");
}

TEST_P(Matcher, TraceLinesAtVerbosityNine)
{
    LB_REQUIRE_PG();
    MatcherFixture f(GetParam());
    f.addVariable("North", "BASIN", "PH");
    CommonTypeVar matcher;
    ASSERT_TRUE(f.read(matcher));
    CustomSourceMatchFinder finder;
    ASSERT_TRUE(finder.MatchExists(matcher, result("BASIN", "PH"), "NORTH"));
    const QStringList lines = f.env.logLines();
    EXPECT_TRUE(lines.contains("Begin MatchExists"));
    EXPECT_TRUE(lines.contains("TargetLIMSLOC=BASIN  TargetLimsTest=PH"));
}

INSTANTIATE_TEST_SUITE_P(BothDialects, Matcher, ::testing::Values(1, 2),
                         [](const auto& info) { return info.param == 1 ? "Oracle" : "SqlServer"; });
