#include "Monitor.h"
#include "MonitorStoreError.h"
#include "StorageMessages.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

TEST(MonitorTest, normalizedMonitorName_trimsOrRefuses)
{
    EXPECT_EQ(normalizedMonitorName("  Prices \n"), "Prices");
    EXPECT_EQ(normalizedMonitorName("\u00A0Caf\u00E9\u2028"), "Caf\u00E9");
    try {
        normalizedMonitorName(" \t\r\n ");
        ADD_FAILURE() << "accepted a blank name";
    } catch (const MonitorStoreError& error) {
        EXPECT_EQ(error, MonitorStoreError::validation(storage_messages::enterName));
    }
}

TEST(MonitorTest, equality_comparesNamesCanonicallyAndRulesByTheirOwnRules)
{
    Monitor a{Uuid::random(), "Caf\u00E9", 2, {}, 1700000000000};
    Monitor b = a;
    b.name = "Cafe\u0301";
    EXPECT_EQ(a, b);
    EXPECT_TRUE(monitorsEqual({a}, {b}));
    EXPECT_TRUE(monitorsEqual({}, {}));
    EXPECT_FALSE(monitorsEqual({a}, {a, b}));

    a.schedule.preferences.rule = ScheduleRule::at({{540, 1050}, {2, 6}});
    b.schedule.preferences.rule = ScheduleRule::at({{540, 1050}, {6, 2}});
    EXPECT_TRUE(monitorsEqual({a}, {b}));
    b.schedule.preferences.rule = ScheduleRule::at({{1050, 540}, {6, 2}});
    EXPECT_FALSE(monitorsEqual({a}, {b}));
    b = a;
    b.schedule.preferences.scheduleEnabled = true;
    EXPECT_NE(a, b);
    b = a;
    b.schedule.version = 3;
    EXPECT_NE(a, b);

    EXPECT_EQ(MonitorSchedulePreferences::defaultValue().rule.encodeStored(),
              R"({"rule":{"every":{"_0":{"minutes":60,"weekdays":[1,2,3,4,5,6,7]}}},"version":1})");
    EXPECT_FALSE(MonitorSchedulePreferences::defaultValue().scheduleEnabled);
}

} // namespace
} // namespace tavlen
