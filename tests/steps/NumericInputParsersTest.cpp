#include "NumericInputParsers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tavlen {
namespace {

TEST(NumericInputParsers, parseWholeNumber)
{
    struct Row
    {
        const char* name;
        std::string text;
        std::optional<std::int64_t> expected;
    };

    const std::vector<Row> rows = {
        {"surrounded by spaces and a line break", "  42 \n", 42},
        {"zero", "0", 0},
        {"leading zeros", "007", 7},
        {"largest value", "9223372036854775807", INT64_MAX},
        {"one above the largest value", "9223372036854775808", std::nullopt},
        {"far above the largest value", "99999999999999999999999", std::nullopt},
        {"no-break space and line separator trimmed",
         "\xC2\xA0"
         "5\xE2\x80\xA8",
         5},
        {"plus sign", "+5", std::nullopt},
        {"minus zero", "-0", std::nullopt},
        {"inner space", "4 2", std::nullopt},
        {"thousands separator", "1,000", std::nullopt},
        {"decimal point", "1.0", std::nullopt},
        {"empty", "", std::nullopt},
        {"only whitespace", " \t\n", std::nullopt},
        {"Arabic-Indic digits", "\xD9\xA4\xD9\xA2", std::nullopt},
        {"fullwidth digits", "\xEF\xBC\x94", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(parseWholeNumber(row.text), row.expected);
    }
}

TEST(NumericInputParsers, parsePositiveDecimal)
{
    struct Row
    {
        const char* name;
        std::string text;
        std::optional<double> expected;
    };

    const std::vector<Row> rows = {
        {"decimal", "1.5", 1.5},
        {"surrounded by spaces", " 2 ", 2.0},
        {"exponent", "1e0", 1.0},
        {"leading dot", ".5", 0.5},
        {"plus sign", "+3", 3.0},
        {"hexadecimal", "0x1p1", 2.0},
        {"zero", "0", std::nullopt},
        {"negative", "-1", std::nullopt},
        {"comma as decimal point", "1,5", std::nullopt},
        {"infinity", "inf", std::nullopt},
        {"not a number", "nan", std::nullopt},
        {"overflow", "1e400", std::nullopt},
        {"underflow", "1e-400", std::nullopt},
        {"empty", "", std::nullopt},
        {"trailing characters", "1.5x", std::nullopt},
        {"inner space", "1 5", std::nullopt},
        {"embedded nul",
         std::string("1\0"
                     "5",
                     3),
         std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(parsePositiveDecimal(row.text), row.expected);
    }
}

} // namespace
} // namespace tavlen
