#include "CommonUnitConvert.h"

#include "core/QORConfiguration.h"

namespace limsbridge {

namespace {

struct DefaultConversion {
    const char* fromUnit;
    const char* factor;
    const char* toUnit;
};

// "\u00B5" is the micro sign of the laboratory's units.
constexpr DefaultConversion kDefaults[] = {
    {"ng/l", "0.000001", "mg/l"},     {"mcg/l", "0.001", "mg/l"},       {"ug/l", "0.001", "mg/l"},
    {"\u00B5g/l", "0.001", "mg/l"},   {"mg/l", "1000", "mcg/l"},        {"mg/l", "1000", "ug/l"},
    {"mg/l", "1000", "\u00B5g/l"},    {"mcg/kg", "0.001", "mg/kg"},     {"ug/kg", "0.001", "mg/kg"},
    {"\u00B5g/kg", "0.001", "mg/kg"}, {"mg/kg", "1000", "mcg/kg"},      {"mg/kg", "1000", "mcg/kg"},
    {"mg/kg", "1000", "ug/kg"},       {"mg/kg", "1000", "\u00B5g/kg"},  {"ppb", "0.001", "ppm"},
    {"ppm", "1000", "ppb"},           {"cfu/1ml", "0.01", "cfu/100ml"}, {"cfu/100ml", "100", "cfu/1ml"},
    {"degf", "-1", "degc"},           {"deg.f", "-1", "degc"},          {"degreesf", "-1", "degc"},
    {"degreef", "-1", "degc"},        {"degreef.", "-1", "degc"},       {"degc", "-2", "degf"},
    {"deg.c", "-2", "degf"},          {"degreesc", "-2", "degf"},       {"degreec", "-2", "degf"},
    {"degreec.", "-2", "degf"},
};

constexpr int kDefaultCount = int(std::size(kDefaults));

} // namespace

void CommonUnitConvert::DefineTree(QORConfiguration& config)
{
    config.DefineTree("TARGET\\UNITCONVERT\\ENABLED", "TRUE");
    for (int n = 1; n <= kConversionCount; ++n) {
        const QString base = "TARGET\\UNITCONVERT\\UNIT" + QString::number(n);
        const bool predefined = n <= kDefaultCount;
        const DefaultConversion entry = predefined ? kDefaults[n - 1] : DefaultConversion{"", "1", ""};
        config.DefineTree(base + "\\ENABLED", predefined ? "TRUE" : "FALSE");
        config.DefineTree(base + "\\FROMUNIT", QString::fromUtf8(entry.fromUnit));
        config.DefineTree(base + "\\FACTOR", QString::fromUtf8(entry.factor));
        config.DefineTree(base + "\\TOUNIT", QString::fromUtf8(entry.toUnit));
    }
}

} // namespace limsbridge
