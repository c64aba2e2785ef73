#include "core/CoreKeys.h"

#include <gtest/gtest.h>

using namespace limsbridge;

TEST(CoreKeys, TableHoldsTheSeventySixKeysWithBranchesFirst)
{
    const auto keys = coreKeys();
    ASSERT_EQ(keys.size(), 76u);
    EXPECT_STREQ(keys[0].key, "OPTIONS");
    EXPECT_STREQ(keys[75].key, "CSV\\CSV_EXP_PLANT_ID");
    QStringList seen;
    for (const CoreKey& entry : keys) {
        const QString key = QString::fromUtf8(entry.key);
        EXPECT_EQ(key, key.toUpper());
        EXPECT_FALSE(seen.contains(key)) << entry.key;
        const qsizetype slash = key.lastIndexOf('\\');
        // A registered parent branch always comes before its children.
        if (slash > 0 && QStringList({"OPTIONS", "SOURCE", "TARGET", "ZURIVARU", "CSV"}).contains(key.left(slash))) {
            EXPECT_TRUE(seen.contains(key.left(slash))) << entry.key;
        }
        seen << key;
    }
}

TEST(CoreKeys, DatesAreComputedFromTheMomentOfStart)
{
    const QDateTime now(QDate(2026, 3, 1), QTime(14, 5, 9));
    auto defaultOf = [&](const char* key) {
        for (const CoreKey& entry : coreKeys()) {
            if (QString::fromUtf8(entry.key) == key)
                return coreKeyDefault(entry, now);
        }
        return QString("<missing>");
    };
    EXPECT_EQ(defaultOf("OPTIONS\\AUTOMATED_IMPORT\\DEFAULT_LAST_RUN"), "02-28-2026 00:00:00");
    EXPECT_EQ(defaultOf("OPTIONS\\NOIU\\ASKFORDATES\\FIX_STARTDATE"), "02-28-2026 14:05:09");
    EXPECT_EQ(defaultOf("OPTIONS\\NOIU\\ASKFORDATES\\FIX_ENDDATE"), "03-01-2026 14:05:09");
    EXPECT_EQ(defaultOf("OPTIONS\\INSTANCE_SERVICE_NAME"), "LIMS Bridge");
    EXPECT_EQ(defaultOf("OPTIONS\\PASSWORD_PROTECT_CONFIG_PASSWORD"), "58203");
    EXPECT_EQ(defaultOf("ZURIVARU\\ZURIVARU_CONNECTION_DATASOURCE"), "localhost\\qorsql");
}
