// The unit converter over the default conversion table and edited entries,
// with its log lines read back from a real log file.
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "source/CommonUnitConvert.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace limsbridge;

static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString kMicro = QString(QChar(0x00B5));

class UnitConvert : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        m_logger = std::make_unique<QORLoggerTXT>();
        m_logger->setLogPath(m_folder.path());
        m_logger->setBufferLength(1);
        m_logger->setVerbosity(9);
        m_logger->setEnabled(true);
        Logger = m_logger.get();
        CommonUnitConvert::DefineTree(m_config);
        Config = &m_config;
    }
    void TearDown() override {
        Logger = nullptr;
        Config = nullptr;
    }

    void setEntry(int n, const QString& enabled, const QString& from, const QString& factor,
                  const QString& to) {
        const QString base = "TARGET\\UNITCONVERT\\UNIT" + QString::number(n) + "\\";
        m_config.setItem(base + "ENABLED", enabled);
        m_config.setItem(base + "FROMUNIT", from);
        m_config.setItem(base + "FACTOR", factor);
        m_config.setItem(base + "TOUNIT", to);
    }

    // The log's lines without their "hh:mm:ss : " time stamps.
    QStringList logLines() const {
        QStringList lines;
        QFile file(m_logger->currentFile());
        if (m_logger->currentFile().isEmpty() || !file.open(QIODevice::ReadOnly))
            return lines;
        for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts))
            lines.append(line.mid(11));
        return lines;
    }
    QStringList linesStartingWith(const QString& prefix) const {
        QStringList matching;
        for (const QString& line : logLines()) {
            if (line.startsWith(prefix))
                matching.append(line);
        }
        return matching;
    }
    QStringList conversionLines() const { return linesStartingWith("UnitConverter: Converted"); }

    QTemporaryDir m_folder;
    std::unique_ptr<QORLoggerTXT> m_logger;
    QORConfiguration m_config;
};

} // namespace

TEST_F(UnitConvert, DefaultTableConversions) {
    CommonUnitConvert converter;
    converter.Init();
    ASSERT_TRUE(converter.isActive());
    struct Row {
        const char* name;
        double value;
        QString from;
        QString to;
        double expected;
        const char* logLine;
    };
    const Row rows[] = {
        {"Fahrenheit", 212, "DegF", "degc", 100, "UnitConverter: Converted 212 [degf] to 100 [degc]"},
        {"Celsius with blank", 100, "deg C", "DEGF", 212,
         "UnitConverter: Converted 100 [degc] to 212 [degf]"},
        {"micro sign with blanks", 250, kMicro + "g / L", "mg/l", 0.25,
         "UnitConverter: Converted 250 [\u00B5g/l] to 0.25 [mg/l]"},
        {"colonies", 5, "cfu/1ml", "cfu/100ml", 0.05,
         "UnitConverter: Converted 5 [cfu/1ml] to 0.05 [cfu/100ml]"},
        {"nanograms", 3, "ng/l", "mg/l", 3e-6, "UnitConverter: Converted 3 [ng/l] to 0.000003 [mg/l]"},
        {"negative Celsius", -40, "degreec.", "degf", -40,
         "UnitConverter: Converted -40 [degreec.] to -40 [degf]"},
    };
    for (const Row& row : rows) {
        const qsizetype before = conversionLines().size();
        EXPECT_DOUBLE_EQ(converter.GetConvertedResult(row.value, row.from, row.to), row.expected) << row.name;
        const QStringList lines = conversionLines();
        ASSERT_EQ(lines.size(), before + 1) << row.name;
        EXPECT_EQ(lines.last(), QString::fromUtf8(row.logLine)) << row.name;
    }
}

TEST_F(UnitConvert, UnchangedWithoutLogLine) {
    CommonUnitConvert converter;
    converter.Init();
    struct Row {
        const char* name;
        QString from;
        QString to;
    };
    const Row rows[] = {
        {"empty source unit", "", "mg/l"},
        {"blank source unit", "  ", "mg/l"},
        {"empty target unit", "mg/l", ""},
        {"equal units", "mg/l", "mg/l"},
        {"equal after normalising", "MG / L", "mg/l"},
        {"pair not configured", "mg/l", "ppm"},
        {"reverse of a one-way pair", "mg/l", "ng/l"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(converter.GetConvertedResult(7.5, row.from, row.to), 7.5) << row.name;
    EXPECT_TRUE(conversionLines().isEmpty());
}

TEST_F(UnitConvert, LoadLogsEachAddedConversionOnce) {
    CommonUnitConvert converter;
    converter.Init();
    const QStringList added = linesStartingWith("UnitConverter : Added");
    // 28 defaults, of which entry 12 repeats entry 11.
    ASSERT_EQ(added.size(), 27);
    EXPECT_EQ(added.at(0), "UnitConverter : Added 'ng/l -> 0.000001 -> mg/l' as a valid conversion.");
    EXPECT_EQ(added.at(3),
              QString::fromUtf8("UnitConverter : Added '\u00B5g/l -> 0.001 -> mg/l' as a valid conversion."));
    EXPECT_EQ(added.at(10), "UnitConverter : Added 'mg/kg -> 1000 -> mcg/kg' as a valid conversion.");
    EXPECT_EQ(added.at(11), "UnitConverter : Added 'mg/kg -> 1000 -> ug/kg' as a valid conversion.");
    EXPECT_EQ(added.at(17), "UnitConverter : Added 'degf -> -1 -> degc' as a valid conversion.");
    EXPECT_EQ(added.last(), "UnitConverter : Added 'degreec. -> -2 -> degf' as a valid conversion.");
}

TEST_F(UnitConvert, FirstDefinitionOfAPairWins) {
    setEntry(11, "TRUE", "mg/kg", "1000", "mcg/kg");
    setEntry(12, "TRUE", "MG/KG", "5", "mcg / kg");
    CommonUnitConvert converter;
    converter.Init();
    EXPECT_EQ(converter.GetConvertedResult(2, "mg/kg", "mcg/kg"), 2000);
    EXPECT_EQ(linesStartingWith("UnitConverter : Added 'mg/kg -> 5").size(), 0);
}

TEST_F(UnitConvert, EditedEntries) {
    setEntry(29, "TRUE", "ppt", "-3", "ppm"); // not a temperature code: dropped
    setEntry(30, "TRUE", "gal", "lots", "l"); // not numeric: factor 1
    setEntry(31, "True", "kg", "1000", "g");  // not exactly TRUE: skipped
    setEntry(32, "TRUE", "", "2", "g");       // no source unit: dropped
    setEntry(33, "TRUE", "g", "0.001", "kg");
    setEntry(100, "TRUE", "lb", "0.45359237", "kg");
    CommonUnitConvert converter;
    converter.Init();
    EXPECT_EQ(converter.GetConvertedResult(4, "ppt", "ppm"), 4);
    EXPECT_EQ(converter.GetConvertedResult(4, "gal", "l"), 4);
    EXPECT_EQ(conversionLines().size(), 1) << "the factor-1 conversion still counts as one";
    EXPECT_EQ(converter.GetConvertedResult(4, "kg", "g"), 4);
    EXPECT_DOUBLE_EQ(converter.GetConvertedResult(1500, "g", "kg"), 1.5);
    EXPECT_DOUBLE_EQ(converter.GetConvertedResult(2, "lb", "kg"), 0.90718474);

    EXPECT_TRUE(linesStartingWith("UnitConverter : Added 'ppt").isEmpty());
    EXPECT_EQ(linesStartingWith("UnitConverter : Added 'gal").value(0),
              "UnitConverter : Added 'gal -> 1 -> l' as a valid conversion.");
    EXPECT_TRUE(linesStartingWith("UnitConverter : Added 'kg").isEmpty());
    EXPECT_EQ(linesStartingWith("UnitConverter : Added 'lb").value(0),
              "UnitConverter : Added 'lb -> 0.45359237 -> kg' as a valid conversion.");
}

TEST_F(UnitConvert, DisabledConverterPassesEveryValue) {
    m_config.setItem("TARGET\\UNITCONVERT\\ENABLED", "FALSE");
    CommonUnitConvert converter;
    converter.Init();
    EXPECT_FALSE(converter.isActive());
    EXPECT_EQ(converter.GetConvertedResult(212, "degf", "degc"), 212);
    EXPECT_EQ(converter.GetConvertedResult(5, "cfu/1ml", "cfu/100ml"), 5);
    EXPECT_TRUE(logLines().isEmpty());
}

TEST_F(UnitConvert, OnlyExactTrueSwitchesItOn) {
    m_config.setItem("TARGET\\UNITCONVERT\\ENABLED", "true");
    CommonUnitConvert converter;
    converter.Init();
    EXPECT_FALSE(converter.isActive());
    EXPECT_EQ(converter.GetConvertedResult(212, "degf", "degc"), 212);
}

TEST_F(UnitConvert, NotActiveBeforeInitOrWithoutKeys) {
    CommonUnitConvert fresh;
    EXPECT_FALSE(fresh.isActive());
    EXPECT_EQ(fresh.GetConvertedResult(212, "degf", "degc"), 212);

    QORConfiguration empty;
    CommonUnitConvert withoutKeys;
    withoutKeys.Init(empty);
    EXPECT_FALSE(withoutKeys.isActive());
}

TEST_F(UnitConvert, LogLinesFollowTheVerbosity) {
    m_logger->setVerbosity(5);
    CommonUnitConvert converter;
    converter.Init();
    EXPECT_TRUE(linesStartingWith("UnitConverter : Added").isEmpty());
    converter.GetConvertedResult(212, "degf", "degc");
    EXPECT_EQ(conversionLines().size(), 1);
    m_logger->setVerbosity(4);
    converter.GetConvertedResult(212, "degf", "degc");
    EXPECT_EQ(conversionLines().size(), 1);
}
