// Converts a numeric result from the source's unit to the variable's unit by a
// configurable table of up to 100 conversions.
#pragma once

#include <QString>

namespace limsbridge {

class QORConfiguration;

class CommonUnitConvert {
public:
    //! Registers the unit-conversion keys and their 28 default conversions.
    static void DefineTree(QORConfiguration& config);

    static constexpr int kConversionCount = 100;
};

} // namespace limsbridge
