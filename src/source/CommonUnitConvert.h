// Converts a numeric result from the source's unit to the variable's unit by a
// configurable table of up to 100 conversions. Each conversion is a source
// unit, a target unit and a factor; the factor codes -1 and -2 stand for the
// Fahrenheit-to-Celsius and Celsius-to-Fahrenheit formulas. Units are compared
// in lower case with every blank removed.
#pragma once

#include "core/HashTable.h"

#include <QString>

#include <memory>

namespace limsbridge {

class QORConfiguration;

class CommonUnitConvert {
public:
    //! Registers the unit-conversion keys and their 28 default conversions.
    static void DefineTree(QORConfiguration& config);

    static constexpr int kConversionCount = 100;
    //! Factor codes of the temperature formulas.
    static constexpr double kFahrenheitToCelsius = -1;
    static constexpr double kCelsiusToFahrenheit = -2;

    CommonUnitConvert();

    //! Builds the table from the global configuration (inactive without one).
    void Init();
    //! Builds the table from the given configuration; a converter switched
    //! off there stays inactive and passes every value through.
    void Init(const QORConfiguration& config);

    //! The value converted from sourceUnit to targetUnit; unchanged when the
    //! converter is inactive, a unit is empty, the units are equal or the
    //! pair is not configured.
    double GetConvertedResult(double value, const QString& sourceUnit, const QString& targetUnit) const;

    bool isActive() const { return m_isActive; }

private:
    using FactorTable = HashTable<double>;

    static QString NormalizeUnit(const QString& unit);
    void AddConversion(const QString& sourceUnit, const QString& targetUnit, double factor);
    //! Applies the temperature formula of `code` to value; false (value
    //! unchanged) for any code that is not a temperature code.
    static bool ApplyTemperatureCode(double code, double value, double& result);

    bool m_isActive = false;
    //! Normalised target unit -> (normalised source unit -> factor).
    HashTable<std::shared_ptr<FactorTable>> m_conversions;
};

} // namespace limsbridge
