// Maps laboratory fields to the additional-info columns of the facilities: the
// configured map entries, the per-record collection of field values and their
// transposition into a column -> value table for one facility.
#pragma once

#include <QString>

namespace limsbridge {

class QORConfiguration;

class CommonAINFOnavigator {
public:
    static constexpr int kMapEntryCount = 512;

    //! Registers the additional-info keys, map entries 1 to 512.
    static void DefineTree(QORConfiguration& config);
};

//! The one navigator of the process, created at startup.
extern CommonAINFOnavigator* AinfoNavigator;

} // namespace limsbridge
