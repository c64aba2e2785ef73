// The write rules on their own: what a result becomes for a variable (number,
// text, comment), how many decimals its text shows and how symbols explain
// texts such as "<5". No database: variables are built in memory.
#include "core/QORConfiguration.h"
#include "import/WriteRules.h"
#include "source/CommonTypeVarRec.h"
#include "source/CommonUnitConvert.h"

#include <gtest/gtest.h>

#include <optional>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

using namespace limsbridge;
using namespace limsbridge::WriteRules;

namespace {

struct PrefixCase {
    const char* name;
    QString text;
    QString prefix;
};

class SymbolPrefixTest : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(SymbolPrefixTest, IsTheTextBeforeTheFirstNumber) {
    EXPECT_EQ(SymbolPrefix(GetParam().text), GetParam().prefix);
}

INSTANTIATE_TEST_SUITE_P(Texts, SymbolPrefixTest,
                         ::testing::Values(PrefixCase{"LessThan", "<5", "<"},
                                           PrefixCase{"BlankBeforeNumber", "< 0.5", "< "},
                                           PrefixCase{"NegativeNumber", ">-3", ">"},
                                           PrefixCase{"NoNumber", "ND", "ND"},
                                           PrefixCase{"NoNumberTrimmed", "  ND x ", "ND x"},
                                           PrefixCase{"NumberFirst", "5 mg", ""},
                                           PrefixCase{"PointStartsANumber", "<.5", "<"},
                                           PrefixCase{"MinusThenPoint", "~-.5", "~"},
                                           PrefixCase{"TrailingMinusIsNoNumber", "ND-", "ND-"},
                                           PrefixCase{"Empty", "", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

struct DecimalsCase {
    const char* name;
    QVariant result;
    qint32 decimalPlaces;
    qint32 decimals;
};

class DecimalsToShowTest : public ::testing::TestWithParam<DecimalsCase> {};

TEST_P(DecimalsToShowTest, CountsDecimals) {
    EXPECT_EQ(DecimalsToShow(GetParam().result, GetParam().decimalPlaces), GetParam().decimals);
}

INSTANTIATE_TEST_SUITE_P(Results, DecimalsToShowTest,
                         ::testing::Values(DecimalsCase{"Configured", "7.25", 1, 1},
                                           DecimalsCase{"ConfiguredZero", "7.25", 0, 0},
                                           DecimalsCase{"KeepAfterPoint", "5.10", 9999, 2},
                                           DecimalsCase{"KeepWholeLength", "10", 9999, 2},
                                           DecimalsCase{"KeepFirstPoint", "1.2.345", 9999, 5},
                                           DecimalsCase{"KeepSymbolText", "<0.125", 9999, 3},
                                           DecimalsCase{"KeepBlanksAreNoDigits", " 10 ", 9999, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FormatCase {
    const char* name;
    QVariant value;
    qint32 decimals;
    QString text;
};

class FormatValueTextTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatValueTextTest, PadsOnlyTextsWithADecimalPoint) {
    EXPECT_EQ(FormatValueText(GetParam().value, GetParam().decimals), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, FormatValueTextTest,
                         ::testing::Values(FormatCase{"Padded", 5.1, 2, "5.10"},
                                           FormatCase{"WholeNumberStays", 5.0, 2, "5"},
                                           FormatCase{"EnoughDecimals", 7.25, 2, "7.25"},
                                           FormatCase{"MoreDecimalsKept", 7.256, 2, "7.256"},
                                           FormatCase{"BinaryNoiseHidden", 10 * 0.55, 2, "5.50"},
                                           FormatCase{"SymbolText", QString("<0.5"), 3, "<0.500"},
                                           FormatCase{"SymbolWithoutNumber", QString(" ND "), 2, "ND"},
                                           FormatCase{"SmallNumber", 0.00001, 2, "1E-05"},
                                           FormatCase{"Negative", -2.5, 3, "-2.500"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A variable as the matcher builds it.
std::shared_ptr<CommonTypeVarRec> variable(const QString& vartype, qint16 decPlaces, const QString& units = {}) {
    auto V = std::make_shared<CommonTypeVarRec>();
    V->setVartype(vartype);
    V->setDecPlaces(decPlaces);
    V->setUnits(units);
    V->setFacilID("FAC1");
    V->setId(7);
    return V;
}

// The converter with the default table plus "src" -> "dst" by 0.55.
const CommonUnitConvert& converter() {
    static const CommonUnitConvert instance = [] {
        QORConfiguration config;
        CommonUnitConvert::DefineTree(config);
        config.setItem("TARGET\\UNITCONVERT\\UNIT100\\ENABLED", "TRUE");
        config.setItem("TARGET\\UNITCONVERT\\UNIT100\\FROMUNIT", "src");
        config.setItem("TARGET\\UNITCONVERT\\UNIT100\\FACTOR", "0.55");
        config.setItem("TARGET\\UNITCONVERT\\UNIT100\\TOUNIT", "dst");
        CommonUnitConvert converter;
        converter.Init(config);
        return converter;
    }();
    return instance;
}

struct ChoiceCase {
    const char* name;
    QString vartype;
    qint16 decPlaces;
    QString targetUnits;
    QVariant result;
    QString sourceUnits;
    bool writeValue;
    double number;
    QString text;
    std::optional<QString> comment; //!< nullopt: no comment
};

class ChooseValueTest : public ::testing::TestWithParam<ChoiceCase> {
protected:
    static std::shared_ptr<CommonTypeVarRec> withRules(const ChoiceCase& c) {
        auto V = variable(c.vartype, c.decPlaces, c.targetUnits);
        if (c.vartype == "T") {
            V->setLimitToLIST(true);
            V->LoadTextListHash("Clear\tCloudy");
        }
        if (c.vartype == "B")
            V->setLimitToLIST(false); // unlimited: the list is never loaded
        if (QString(c.name).startsWith("Symbol")) {
            V->setAllowSymbol(true);
            V->AddSymbol("<", true, 2, 0);
            V->AddSymbol("ND", false, 4, 0.1);
            V->AddSymbol(">", true, 3, 10);
            V->AddSymbol("~", true, 6, 0);
            V->AddSymbol("NA", false, 1, 0);
        }
        return V;
    }
};

TEST_P(ChooseValueTest, DecidesNumberTextAndComment) {
    const ChoiceCase& c = GetParam();
    const ValueChoice choice = ChooseValue(c.result, *withRules(c), c.sourceUnits, converter());
    EXPECT_EQ(choice.writeValue, c.writeValue);
    if (c.writeValue) {
        EXPECT_DOUBLE_EQ(choice.number, c.number);
        EXPECT_EQ(choice.text, c.text);
    }
    if (c.comment) {
        EXPECT_FALSE(choice.commentPart.isNull());
        EXPECT_EQ(choice.commentPart.toString(), *c.comment);
    } else {
        EXPECT_TRUE(choice.commentPart.isNull()) << choice.commentPart.toString().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Results, ChooseValueTest,
    ::testing::Values(
        ChoiceCase{"RoundedToOneDecimal", "P", 1, "", "7.25", "", true, 7.3, "7.3", std::nullopt},
        ChoiceCase{"KeptAsItArrives", "P", 9999, "", "7.25", "", true, 7.25, "7.25", std::nullopt},
        ChoiceCase{"TrailingZeroKeptInText", "P", 9999, "", "5.10", "", true, 5.1, "5.10", std::nullopt},
        ChoiceCase{"ConvertedTextAsksForTwoDecimals", "P", 9999, "dst", "10", "src", true, 5.5, "5.50",
                   std::nullopt},
        ChoiceCase{"ConvertedThenRounded", "H", 1, "ug/l", "0.01234", "mg/l", true, 12.3, "12.3", std::nullopt},
        ChoiceCase{"HalfAwayFromZero", "P", 2, "", "-2.345", "", true, -2.35, "-2.35", std::nullopt},
        ChoiceCase{"BlanksAroundANumber", "P", 2, "", " 4.5 ", "", true, 4.5, "4.50", std::nullopt},
        ChoiceCase{"TextInList", "T", 0, "", "cloudy", "", true, 2, "cloudy", std::nullopt},
        ChoiceCase{"TextOutsideList", "T", 0, "", "Rain", "", false, 0, "", QString("Rain")},
        ChoiceCase{"UnlimitedTextStoresOne", "B", 0, "", "Drizzle", "", true, 1, "Drizzle", std::nullopt},
        ChoiceCase{"NoSymbolsMakesAComment", "P", 2, "", " n/a ", "", false, 0, "", QString("n/a")},
        ChoiceCase{"SymbolLessThanHalved", "P", 2, "", "<5", "", true, 2.5, "<5", std::nullopt},
        ChoiceCase{"SymbolLessThanConvertedAndPadded", "P", 2, "ug/l", "<0.005", "mg/l", true, 2.5, "<5",
                   std::nullopt},
        ChoiceCase{"SymbolNotDetectedTakesFactor", "P", 2, "", "ND", "", true, 0.1, "ND", std::nullopt},
        ChoiceCase{"SymbolNotDetectedWithNumberTakesFactor", "P", 2, "", "ND 5", "", true, 0.1, "ND5",
                   std::nullopt},
        ChoiceCase{"SymbolGreaterThanTimesFactor", "P", 9999, "", ">1.5", "", true, 15, ">1.5", std::nullopt},
        ChoiceCase{"SymbolTildeDoubled", "P", 9999, "", "~ 2", "", true, 4, "~2", std::nullopt},
        ChoiceCase{"SymbolOtherRuleStoresZero", "P", 9999, "", "NA", "", true, 0, "NA", std::nullopt},
        ChoiceCase{"SymbolUnknownTextMakesAComment", "P", 2, "", "purple", "", false, 0, "", QString("purple")},
        ChoiceCase{"SymbolUnknownWordsMakeAComment", "P", 2, "", "ND x", "", false, 0, "", QString("ND x")},
        ChoiceCase{"SymbolNumericSymbolWithoutNumberMakesAComment", "P", 2, "", "<5x", "", false, 0, "",
                   QString("<5x")},
        ChoiceCase{"SymbolWithUnreadableNumberGivesNothing", "P", 2, "", "ND 5x", "", false, 0, "", std::nullopt},
        ChoiceCase{"BlankResultChoosesNothing", "P", 2, "", "  ", "", false, 0, "", std::nullopt},
        ChoiceCase{"NullResultChoosesNothing", "T", 0, "", QVariant(), "", false, 0, "", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct CommentCase {
    const char* name;
    QVariant part;
    QString sourceComment;
    std::optional<QString> comment;
};

class AssembleCommentTest : public ::testing::TestWithParam<CommentCase> {};

TEST_P(AssembleCommentTest, JoinsWithSemicolon) {
    const QVariant comment = AssembleComment(GetParam().part, GetParam().sourceComment);
    if (GetParam().comment)
        EXPECT_EQ(comment.toString(), *GetParam().comment);
    else
        EXPECT_TRUE(comment.isNull());
}

INSTANTIATE_TEST_SUITE_P(Comments, AssembleCommentTest,
                         ::testing::Values(CommentCase{"Neither", QVariant(), "  ", std::nullopt},
                                           CommentCase{"PartOnly", QString("x"), "", QString("x")},
                                           CommentCase{"SourceOnly", QVariant(), " y ", QString("y")},
                                           CommentCase{"Both", QString(" x "), " y", QString("x; y")}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
