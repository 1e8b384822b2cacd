#include "Iso8601.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tavlen {
namespace {

TEST(Iso8601, acceptedForms_giveTheInstant)
{
    struct Row
    {
        const char* name;
        std::string text;
        double secondsSince1970;
    };

    const std::vector<Row> rows = {
        {"epoch", "1970-01-01T00:00:00Z", 0},
        {"milliseconds and Z", "2026-03-02T17:00:00.250Z", 1772470800.25},
        {"no fraction", "2026-03-02T17:00:00Z", 1772470800},
        {"positive offset", "2026-03-02T18:30:00.250+01:30", 1772470800.25},
        {"negative offset", "2026-03-02T12:00:00-05:00", 1772470800},
        {"leap day", "2024-02-29T00:00:00Z", 1709164800},
        {"before 1970", "1969-12-31T23:59:59.5Z", -0.5},
        {"the reference date", "2001-01-01T00:00:00.000Z", 978307200},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<Date> date = parseISO8601DateTime(row.text);
        ASSERT_TRUE(date.has_value());
        EXPECT_DOUBLE_EQ(date->secondsSince1970(), row.secondsSince1970);
    }
    EXPECT_EQ(parseISO8601DateTime("2026-03-02T17:00:00.123Z")->milliseconds() % 1000, 123);
}

TEST(Iso8601, rejectedForms_giveNothing)
{
    const std::vector<std::pair<const char*, std::string>> rows = {
        {"empty", ""},
        {"date only", "2026-03-02"},
        {"no zone", "2026-03-02T17:00:00"},
        {"no zone with fraction", "2026-03-02T17:00:00.123"},
        {"lower-case t", "2026-03-02t17:00:00Z"},
        {"lower-case z", "2026-03-02T17:00:00z"},
        {"space separator", "2026-03-02 17:00:00Z"},
        {"offset without colon", "2026-03-02T17:00:00+0100"},
        {"dot without digits", "2026-03-02T17:00:00.Z"},
        {"February 30", "2026-02-30T00:00:00Z"},
        {"February 29 outside a leap year", "2100-02-29T00:00:00Z"},
        {"month 13", "2026-13-01T00:00:00Z"},
        {"hour 24", "2026-03-02T24:00:00Z"},
        {"leap second", "2016-12-31T23:59:60Z"},
        {"short year", "226-03-02T17:00:00Z"},
        {"trailing text", "2026-03-02T17:00:00Z "},
        {"leading space", " 2026-03-02T17:00:00Z"},
        {"non-ASCII digit", "2026-03-02T17:00:0\xD9\xA1Z"},
    };
    for (const auto& [name, text] : rows) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(parseISO8601DateTime(text).has_value());
    }
}

} // namespace
} // namespace tavlen
