// The case-insensitive matching switch as the matcher reads it.
#include "core/Globals.h"
#include "core/QORConfiguration.h"
#include "source/CommonTypeGlobals.h"

#include <gtest/gtest.h>

using namespace limsbridge;

namespace {

class IgnoreCase : public ::testing::Test {
protected:
    void TearDown() override { Config = nullptr; }
};

} // namespace

TEST_F(IgnoreCase, OnlyTheExactUpperCaseWordSwitchesItOn) {
    QORConfiguration config;
    RegisterMatchingDefaults(config);
    Config = &config;
    struct Row {
        const char* value;
        bool enabled;
    };
    const Row rows[] = {
        {"FALSE", false}, {"TRUE", true}, {"True", false}, {"true", false},
        {" TRUE", false}, {"YES", false}, {"", false},
    };
    for (const Row& row : rows) {
        config.setItem("TARGET\\IGNORECASEDURINGMATCH\\ENABLED", row.value);
        EXPECT_EQ(IgnoreCaseEnabled(), row.enabled) << row.value;
    }
}

TEST_F(IgnoreCase, DefaultIsOff) {
    QORConfiguration config;
    RegisterMatchingDefaults(config);
    Config = &config;
    EXPECT_FALSE(IgnoreCaseEnabled());
}

TEST_F(IgnoreCase, OffWhenTheKeyOrTheConfigurationIsMissing) {
    QORConfiguration config; // the key was never registered: reading it fails
    Config = &config;
    EXPECT_FALSE(IgnoreCaseEnabled());
    Config = nullptr;
    EXPECT_FALSE(IgnoreCaseEnabled());
}
