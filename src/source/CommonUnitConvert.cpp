#include "CommonUnitConvert.h"

#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "core/QORLoggerTXT.h"
#include "core/VbConvert.h"

#include <cmath>

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

constexpr int kAddedLevel = 6;
constexpr int kConvertedLevel = 5;

QString entryKey(int n, const char* field) {
    return "TARGET\\UNITCONVERT\\UNIT" + QString::number(n) + "\\" + QLatin1String(field);
}

// A number as the log shows it: up to 15 significant digits, in plain
// decimal notation (0.000001, not 1e-06) unless it is very large or small.
QString numberText(double value) {
    const QString general = QString::number(value, 'g', 15);
    if (!general.contains(QLatin1Char('e')) || value == 0 || std::abs(value) < 1e-15 ||
        std::abs(value) >= 1e15)
        return general;
    const int exponent = int(std::floor(std::log10(std::abs(value))));
    QString plain = QString::number(value, 'f', qMax(0, 14 - exponent));
    if (plain.contains(QLatin1Char('.'))) {
        while (plain.endsWith(QLatin1Char('0')))
            plain.chop(1);
        if (plain.endsWith(QLatin1Char('.')))
            plain.chop(1);
    }
    return plain;
}

void log(const QString& text, int level) {
    if (Logger)
        Logger->WriteLog(text, level);
}

} // namespace

void CommonUnitConvert::DefineTree(QORConfiguration& config) {
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

CommonUnitConvert::CommonUnitConvert() = default;

void CommonUnitConvert::Init() {
    if (Config)
        Init(*Config);
    else
        m_isActive = false;
}

void CommonUnitConvert::Init(const QORConfiguration& config) {
    m_isActive = false;
    m_conversions.RemoveAll();
    try {
        if (config.item(QStringLiteral("TARGET\\UNITCONVERT\\ENABLED")) != QLatin1String("TRUE"))
            return;
    } catch (const RaisedError&) {
        // Keys that were never registered: there is nothing to convert with.
        return;
    }
    for (int n = 1; n <= kConversionCount; ++n) {
        try {
            if (config.item(entryKey(n, "ENABLED")) != QLatin1String("TRUE"))
                continue;
            const QString fromUnit = config.item(entryKey(n, "FROMUNIT"));
            const QString toUnit = config.item(entryKey(n, "TOUNIT"));
            const double factor = Vb::ToDouble(config.item(entryKey(n, "FACTOR"))).value_or(1.0);
            AddConversion(fromUnit, toUnit, factor);
        } catch (const RaisedError&) {
            // An entry that cannot be read is left out like an invalid one.
        }
    }
    m_isActive = true;
}

double CommonUnitConvert::GetConvertedResult(double value, const QString& sourceUnit,
                                             const QString& targetUnit) const {
    if (!m_isActive)
        return value;
    const QString from = NormalizeUnit(sourceUnit);
    const QString to = NormalizeUnit(targetUnit);
    if (from.isEmpty() || to.isEmpty() || from == to)
        return value;
    const std::shared_ptr<FactorTable> factors = m_conversions.Item(to);
    if (!factors || !factors->Exists(from))
        return value;
    const double factor = factors->Item(from);
    double result = value;
    if (factor >= 0)
        result = value * factor;
    else if (!ApplyTemperatureCode(factor, value, result))
        return value; // AddConversion never stores another negative factor
    log("UnitConverter: Converted " + numberText(value) + " [" + from + "] to " + numberText(result) + " [" +
            to + "]",
        kConvertedLevel);
    return result;
}

QString CommonUnitConvert::NormalizeUnit(const QString& unit) {
    return unit.toLower().remove(QLatin1Char(' '));
}

void CommonUnitConvert::AddConversion(const QString& sourceUnit, const QString& targetUnit, double factor) {
    try {
        const QString from = NormalizeUnit(sourceUnit);
        const QString to = NormalizeUnit(targetUnit);
        std::shared_ptr<FactorTable> factors = m_conversions.Item(to);
        const bool isNewTarget = !factors;
        if (isNewTarget)
            factors = std::make_shared<FactorTable>();
        // The first definition of a pair wins; later repeats are ignored.
        if (factors->Exists(from))
            return;
        double ignored = 0;
        if (factor < 0 && !ApplyTemperatureCode(factor, 1, ignored))
            return;
        factors->Add(from, factor);
        if (isNewTarget)
            m_conversions.Add(to, factors);
        log("UnitConverter : Added '" + from + " -> " + numberText(factor) + " -> " + to +
                "' as a valid conversion.",
            kAddedLevel);
    } catch (const RaisedError&) {
        // An empty unit is no key: such an entry is simply not loaded.
    }
}

bool CommonUnitConvert::ApplyTemperatureCode(double code, double value, double& result) {
    if (code == kCelsiusToFahrenheit) {
        result = value * 1.8 + 32;
        return true;
    }
    if (code == kFahrenheitToCelsius) {
        result = (value - 32) / 1.8;
        return true;
    }
    result = value;
    return false;
}

} // namespace limsbridge
