#include "JsonParse.h"

#include <gtest/gtest.h>

#include <string>

namespace tavlen {
namespace {

TEST(JsonParse, validText_givesValue)
{
    const auto value = parseJson(" {\"a\":[1,2.5,\"x\\/y\",\"\\u00e9\\ud83d\\ude00\"],\"b\":null} \n");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ((*value)["a"][0].get<int>(), 1);
    EXPECT_EQ((*value)["a"][2].get<std::string>(), "x/y");
    EXPECT_EQ((*value)["a"][3].get<std::string>(), "\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_TRUE((*value)["b"].is_null());
}

TEST(JsonParse, badText_givesNothing)
{
    struct Case
    {
        const char* name;
        std::string text;
    };

    const Case cases[] = {
        {"empty", ""},
        {"trailing garbage", "{} x"},
        {"two values", "1 2"},
        {"trailing comma", "[1,]"},
        {"unterminated string", "\"abc"},
        {"raw control character in string", "\"a\nb\""},
        {"invalid UTF-8 in string", "\"\xC3\x28\""},
        {"overlong UTF-8 in string", "\"\xC0\xAF\""},
        {"UTF-8 surrogate bytes in string", "\"\xED\xA0\x80\""},
        {"lone surrogate escape", "\"\\ud800\""},
        {"number overflowing a double", "1e400"},
        {"comment", "[1] // no"},
        {"single quotes", "['a']"},
        {"NaN literal", "NaN"},
        {"stray closing brackets", "]]]]"},
        // The parser below takes a NUL byte for the end of the text and would ignore whatever follows it.
        {"a NUL byte after the value, then anything", std::string("{}\0 trailing", 12)},
        {"a NUL byte alone", std::string(1, '\0')},
        {"a NUL byte inside a string", std::string("\"a\0b\"", 5)},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(parseJson(row.text).has_value());
    }
}

TEST(JsonParse, nestingAtLimit_parsesAndBeyondIsRefused)
{
    const auto nested = [](int depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    EXPECT_TRUE(parseJson(nested(64)).has_value());
    EXPECT_FALSE(parseJson(nested(65)).has_value());
    EXPECT_TRUE(parseJson(nested(3), 3).has_value());
    EXPECT_FALSE(parseJson("{\"a\":{\"b\":[{}]}}", 3).has_value());
    // Brackets inside strings, also after an escaped quote, do not count.
    EXPECT_TRUE(parseJson("[\"\\\"[[[[\"]", 1).has_value());
}

TEST(JsonParse, hostileDepth_isRefusedWithoutExhaustingStack)
{
    EXPECT_FALSE(parseJson(std::string(100000, '[') + std::string(100000, ']')).has_value());
    EXPECT_FALSE(parseJson(std::string(100000, '[')).has_value());
    std::string objects;
    for (int i = 0; i < 100000; ++i) {
        objects += "{\"a\":";
    }
    EXPECT_FALSE(parseJson(objects).has_value());
}

} // namespace
} // namespace tavlen
