#include "ProviderJSON.h"

#include "ProviderFailure.h"
#include "ProviderText.h"

#include <gtest/gtest.h>

#include <string>

namespace tavlen {
namespace {

std::string nestedArrays(int depth, const std::string& inner)
{
    return std::string(static_cast<std::size_t>(depth), '[') + inner +
           std::string(static_cast<std::size_t>(depth), ']');
}

std::optional<ProviderJSON> parsed(const std::string& body)
{
    try {
        return ProviderJSON::parse(body);
    } catch (const ProviderFailure& failure) {
        EXPECT_EQ(failure, ProviderFailure::invalidProviderResponse());
        return std::nullopt;
    }
}

TEST(ProviderJSONTest, theStrictParseAdmitsOneBoundedValueWithoutRepeatedKeys)
{
    struct Row
    {
        const char* name;
        std::string body;
        bool accepted;
    };

    const Row rows[] = {
        {"empty body", "", false},
        {"whitespace only", " \t\r\n", false},
        {"a number alone", "12", true},
        {"a string alone", R"("text")", true},
        {"a boolean alone", "false", true},
        {"null alone", "null", true},
        {"space, tab, line feed and carriage return around", " \t\n\r{\"a\":[1, 2]}\r\n\t ", true},
        {"a second value", "{} {}", false},
        {"a second scalar", "1 2", false},
        {"a trailing form feed", "{}\f", false},
        {"a leading form feed", "\f{}", false},
        {"a trailing NUL", std::string("{}\0", 3), false},
        {"a NUL ending a number, then anything", std::string("6\0\0$\"%#e", 9), false},
        {"a NUL ending a literal, then anything", std::string("true\0, 1", 9), false},
        {"a trailing byte order mark", "{}\xEF\xBB\xBF", false},
        {"a key twice", R"({"a":1,"a":2})", false},
        {"a key twice, once escaped", R"({"a":1,"\u0061":2})", false},
        {"a key twice up to canonical equivalence", "{\"\xC3\xA9\":1,\"e\xCC\x81\":2}", false},
        {"sibling objects with the same keys", R"([{"a":1,"b":2},{"a":3,"b":4}])", true},
        {"a nested object repeating its parent's key", R"({"a":{"a":{"a":1}}})", true},
        {"a scalar inside 63 arrays", nestedArrays(63, "1"), true},
        {"a scalar inside 64 arrays", nestedArrays(64, "1"), false},
        {"64 arrays, the innermost empty", nestedArrays(64, ""), true},
        {"65 arrays, the innermost empty", nestedArrays(65, ""), false},
        {"an object 64 levels down", nestedArrays(63, "{}"), true},
        {"a member 64 levels down", nestedArrays(63, R"({"a":1})"), false},
        {"a number too large for a double", "1e400", false},
        {"a negative number too large", "[-1e400]", false},
        {"a fraction written whole", "12.0", true},
        {"a comma before a bracket", "[1,]", false},
        {"a comma before a brace", R"({"a":1,})", false},
        {"a key without its colon", R"({"a" 1})", false},
        {"a colon without a value", R"({"a":})", false},
        {"a key that is not a string", "{a:1}", false},
        {"a truncated literal", "tru", false},
        {"a literal with a tail", "nulls", false},
        {"a leading zero", "01", false},
        {"a plus sign", "+1", false},
        {"an unclosed string", R"(["abc)", false},
        {"an escaped quote inside a key", R"({"a\"b":1,"a\"c":2})", true},
        {"an invalid escape", R"(["\x"])", false},
        {"a raw line feed inside a string", "[\"a\nb\"]", false},
        {"invalid UTF-8 inside a string", "[\"\xC3\x28\"]", false},
        {"a lone surrogate escape", R"(["\ud800"])", false},
        {"an unclosed array", "[1, 2", false},
        {"an unclosed object", R"({"a":1)", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(parsed(row.body).has_value(), row.accepted);
    }
}

TEST(ProviderJSONTest, parsedValuesKeepTheirKindsAndNumbersAreDoubles)
{
    const ProviderJSON value = ProviderJSON::parse(R"({"n":12.0,"big":18446744073709551616,"s":"\/é","t":true,
        "z":null,"list":[1,"2"]})");
    EXPECT_EQ(value.kind(), ProviderJSON::Kind::object);
    EXPECT_EQ(value.member("n")->asNumber(), 12.0);
    EXPECT_EQ(value.member("big")->asNumber(), 18446744073709551616.0);
    EXPECT_EQ(*value.member("s")->asString(), "/é");
    EXPECT_EQ(value.member("t")->asBool(), true);
    EXPECT_TRUE(value.member("z")->isNull());
    EXPECT_EQ(value.member("list")->asArray()->size(), 2u);
    EXPECT_FALSE(value.member("missing"));
    EXPECT_FALSE(value.member("list")->member("0")) << "only objects have members";
    EXPECT_FALSE(ProviderJSON::object({}).member(""));
    EXPECT_EQ(ProviderJSON::parse("{\"e\xCC\x81\":1}").member("\xC3\xA9")->asNumber(), 1.0)
        << "keys are found by canonical equivalence";
}

TEST(ProviderJSONTest, equalityComparesKindsAndPayloads)
{
    const auto json = [](const char* text) { return ProviderJSON::parse(text); };
    EXPECT_EQ(json(R"({"a":[1,2]})"), json(R"({"a":[1,2.0]})"));
    EXPECT_NE(json("[1,2]"), json("[2,1]"));
    EXPECT_NE(json(R"({"a":1})"), json(R"({"a":1,"b":1})"));
    EXPECT_NE(json(R"({"a":1})"), json(R"({"b":1})"));
    EXPECT_EQ(json("null"), ProviderJSON::null());
    EXPECT_NE(json("null"), json("false"));
    EXPECT_NE(json("0"), json("false"));
    EXPECT_NE(json(R"("")"), json("null"));
    EXPECT_EQ(json("\"\xC3\xA9\""), json("\"e\xCC\x81\"")) << "strings by canonical equivalence";
    EXPECT_EQ(json("{\"\xC3\xA9\":1}"), json("{\"e\xCC\x81\":1}")) << "keys by canonical equivalence";
}

TEST(ProviderJSONTest, encodesCompactlyWithIntegralNumbersWhole)
{
    const ProviderJSON body = ProviderJSON::object({
        {"max_tokens", ProviderJSON::number(4096)},
        {"temperature", ProviderJSON::number(0.1)},
        {"url", ProviderJSON::string("a/b")},
        {"flags", ProviderJSON::array({ProviderJSON::boolean(true), ProviderJSON::null()})},
    });
    EXPECT_EQ(body.encoded(), R"({"flags":[true,null],"max_tokens":4096,"temperature":0.1,"url":"a\/b"})");
    EXPECT_EQ(body.encoded({.escapeSlashes = false}),
              R"({"flags":[true,null],"max_tokens":4096,"temperature":0.1,"url":"a/b"})");
    EXPECT_EQ(ProviderJSON::parse(body.encoded()), body);
    EXPECT_THROW(ProviderJSON::number(std::numeric_limits<double>::infinity()), std::invalid_argument);
}

TEST(ProviderJSONTest, usageCountsAreWholeNonNegativeAndCapped)
{
    constexpr std::int64_t cap = 10'000'000;

    struct Row
    {
        const char* name;
        std::optional<ProviderJSON> value;
        std::optional<std::int64_t> count;
    };

    const Row rows[] = {
        {"zero", ProviderJSON::number(0), 0},
        {"twelve", ProviderJSON::number(12), 12},
        {"twelve written with a fraction", ProviderJSON::parse("12.0"), 12},
        {"the cap", ProviderJSON::number(10'000'000), 10'000'000},
        {"one past the cap", ProviderJSON::number(10'000'001), std::nullopt},
        {"a fraction", ProviderJSON::number(12.5), std::nullopt},
        {"negative", ProviderJSON::number(-1), std::nullopt},
        {"a string of digits", ProviderJSON::string("12"), std::nullopt},
        {"a boolean", ProviderJSON::boolean(true), std::nullopt},
        {"null", ProviderJSON::null(), std::nullopt},
        {"missing", std::nullopt, std::nullopt},
        {"far past every 64-bit count", ProviderJSON::number(1e19), std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(usageCount(row.value, cap), row.count);
    }
    EXPECT_EQ(usageCount(ProviderJSON::number(1e18), std::numeric_limits<std::int64_t>::max()),
              1'000'000'000'000'000'000);
}

} // namespace
} // namespace tavlen
