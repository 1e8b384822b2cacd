#include "JsonWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace tavlen {
namespace {

using nlohmann::json;

struct WriteCase
{
    const char* name;
    json value;
    JsonWriteOptions options;
    std::string expected;
};

TEST(JsonWriter, writesEachCase_asExpected)
{
    const WriteCase cases[] = {
        {"quote, backslash and control characters are escaped",
         json("a\"b\\c\n\r\t\b\f\x01\x1f"),
         {},
         R"("a\"b\\c\n\r\t\b\f\u0001\u001f")"},
        {"slash escaped by default", json("https://x.org/a"), {}, R"("https:\/\/x.org\/a")"},
        {"slash kept when asked", json("https://x.org/a"), {.escapeSlashes = false}, R"("https://x.org/a")"},
        {"slash in a key escaped too", json{{"a/b", 1}}, {}, R"({"a\/b":1})"},
        {"non-ASCII written as raw UTF-8",
         json("caf\xC3\xA9 \xF0\x9F\x98\x80 \xE2\x80\xA8"),
         {},
         "\"caf\xC3\xA9 \xF0\x9F\x98\x80 \xE2\x80\xA8\""},
        {"DEL is not escaped", json("\x7f"), {}, "\"\x7f\""},
        {"keys sorted by byte order",
         json{{"b", 1}, {"B", 2}, {"a", 3}, {"\xC3\xA9", 4}, {"ab", 5}},
         {},
         "{\"B\":2,\"a\":3,\"ab\":5,\"b\":1,\"\xC3\xA9\":4}"},
        {"nested containers compact",
         json{{"k", json::array({1, json::object(), json::array(), nullptr, true, false})}},
         {},
         R"({"k":[1,{},[],null,true,false]})"},
        {"0.1 in shortest form", json(0.1), {}, "0.1"},
        {"sum that is not 0.3", json(0.1 + 0.2), {}, "0.30000000000000004"},
        {"integral double without fraction", json(3.0), {}, "3"},
        {"large integral double written out", json(1e15), {}, "1000000000000000"},
        {"largest integral double written out", json(9999999999999998.0), {}, "9999999999999998"},
        {"integral double of 1e16 in shortest form", json(1e16), {}, "1e+16"},
        {"negative integral double of 1e16 in shortest form", json(-1e16), {}, "-1e+16"},
        {"integral double between 1e16 and 1e17 in shortest form", json(5.5e16), {}, "5.5e+16"},
        {"integral double just below 1e17 in shortest form", json(9.9e16), {}, "9.9e+16"},
        {"integral double between 1e16 and 1e17 needing every digit",
         json(12345678901234568.0),
         {},
         "12345678901234568"},
        {"huge double in exponent form", json(1e21), {}, "1e+21"},
        {"tiny double", json(1e-7), {}, "1e-07"},
        {"negative zero as zero, which reads back and writes again the same", json(-0.0), {}, "0"},
        {"negative fraction", json(-2.5), {}, "-2.5"},
        {"largest double", json(std::numeric_limits<double>::max()), {}, "1.7976931348623157e+308"},
        {"int64 extremes",
         json::array({std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()}),
         {},
         "[-9223372036854775808,9223372036854775807]"},
        {"uint64 max", json(std::numeric_limits<std::uint64_t>::max()), {}, "18446744073709551615"},
        {"pretty object and array",
         json{{"b", json::array({1, "x/y"})}, {"a", json::object()}},
         {.pretty = true},
         "{\n  \"a\" : {},\n  \"b\" : [\n    1,\n    \"x\\/y\"\n  ]\n}"},
        {"pretty scalar", json(1), {.pretty = true}, "1"},
        {"stored schedule state with dates as seconds since 2001",
         json{{"token", 3}, {"enabledAt", 794131200.25}, {"nextDue", 794163600.5}, {"cursor", "202603021700"}},
         {},
         R"({"cursor":"202603021700","enabledAt":794131200.25,"nextDue":794163600.5,"token":3})"},
        {"distant-future date (year 4001) as an integral double", json(63113904000.0), {}, "63113904000"},
        {"date before 2001 with a fraction", json(-86400.125), {}, "-86400.125"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(writeJson(row.value, row.options), row.expected);
    }
}

TEST(JsonWriter, doublesRoundTripThroughParser)
{
    const double values[] = {
        0.1, 1.0 / 3.0, 123456.789, 5e-324, 2.2250738585072014e-308, 9007199254740993.0, 1e300, -7.25};
    for (double value : values) {
        SCOPED_TRACE(value);
        const double back = json::parse(writeJson(json(value))).get<double>();
        EXPECT_EQ(back, value);
    }
}

// What is written reads back as a value that is written the same way again.
TEST(JsonWriter, writingWhatWasReadBack_isIdempotent)
{
    const json values[] = {json(-0.0),
                           json(0.0),
                           json::array({-0.0, 1.0, -1e16, 1e16, 0.1}),
                           json::object({{"a", -0.0}, {"b", 3.0}}),
                           json(-5e-324),
                           json(9007199254740993.0)};
    for (const json& value : values) {
        const std::string once = writeJson(value);
        SCOPED_TRACE(once);
        EXPECT_EQ(writeJson(json::parse(once)), once);
    }
}

TEST(JsonWriter, unrepresentableValues_throw)
{
    EXPECT_THROW(writeJson(json(std::nan(""))), std::invalid_argument);
    EXPECT_THROW(writeJson(json::array({std::numeric_limits<double>::infinity()})), std::invalid_argument);
    EXPECT_THROW(writeJson(json("bad \xC3")), std::invalid_argument);
    EXPECT_THROW(writeJson(json("surrogate \xED\xA0\x80")), std::invalid_argument);
    EXPECT_THROW(writeJson(json("overlong \xC0\xAF")), std::invalid_argument);
    EXPECT_THROW(writeJson(json{{"\xFF", 1}}), std::invalid_argument);
    EXPECT_THROW(writeJson(json::binary({1, 2})), std::invalid_argument);
}

} // namespace
} // namespace tavlen
