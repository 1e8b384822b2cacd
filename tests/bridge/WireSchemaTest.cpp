#include "Base64.h"
#include "BrowserWireValidator.h"
#include "JsonParse.h"
#include "JsonText.h"
#include "ParsedJson.h"
#include "WireFormats.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

using test::json;

TEST(WireSchema, interpretsTheKeywordSubset)
{
    const BrowserWireValidator validator(
        json(R"({"$defs":{"number":{"type":"number"},"loop":{"$ref":"#/$defs/loop"}}})"), BrowserLimits{}, 1);

    struct Row
    {
        const char* name;
        const char* schema;
        const char* value;
        bool accepted;
    };

    const Row rows[] = {
        {"empty node accepts anything", R"({})", R"({"a":[1]})", true},
        {"non-text type accepts anything", R"({"type":7})", R"("x")", true},
        {"unknown type name accepts anything", R"({"type":"date"})", R"(null)", true},
        {"array without items refuses even []", R"({"type":"array"})", R"([])", false},
        {"object without properties refuses even {}", R"({"type":"object"})", R"({})", false},
        {"empty properties accept {}", R"({"type":"object","properties":{}})", R"({})", true},
        {"empty properties refuse a member", R"({"type":"object","properties":{}})", R"({"a":1})", false},
        {"undeclared required name refuses",
         R"({"type":"object","properties":{"a":{}},"required":["b"]})",
         R"({"a":1,"b":2})",
         false},
        {"required of another form counts as empty",
         R"({"type":"object","properties":{"a":{}},"required":["a",1]})",
         R"({})",
         true},
        {"integer accepts 3", R"({"type":"integer"})", "3", true},
        {"integer accepts 3.0", R"({"type":"integer"})", "3.0", true},
        {"integer refuses 3.5", R"({"type":"integer"})", "3.5", false},
        {"integer refuses true", R"({"type":"integer"})", "true", false},
        {"integer refuses text", R"({"type":"integer"})", R"("3")", false},
        {"integer refuses null", R"({"type":"integer"})", "null", false},
        {"minimum 0 refuses -0.5", R"({"type":"number","minimum":0})", "-0.5", false},
        {"minimum 0 accepts 0", R"({"type":"number","minimum":0})", "0", true},
        {"maximum 2 refuses 2.5", R"({"type":"number","maximum":2})", "2.5", false},
        {"exclusiveMinimum 0 refuses 0", R"({"type":"number","exclusiveMinimum":0})", "0", false},
        {"non-number minimum is no bound", R"({"type":"number","minimum":"5"})", "-9", true},
        {"enum [1] accepts 1.0", R"({"enum":[1]})", "1.0", true},
        {"enum [1] refuses true", R"({"enum":[1]})", "true", false},
        {"empty enum refuses", R"({"enum":[]})", "1", false},
        {"const false refuses 0", R"({"const":false})", "0", false},
        {"const compares objects by content", R"({"const":{"a":[1,"x"]}})", R"({"a":[1.0,"x"]})", true},
        {"oneOf refuses two matches", R"({"oneOf":[{"type":"number"},{"type":"integer"}]})", "5", false},
        {"oneOf accepts one match", R"({"oneOf":[{"type":"number"},{"type":"integer"}]})", "5.5", true},
        {"empty oneOf refuses", R"({"oneOf":[]})", "1", false},
        {"oneOf decides alone", R"({"oneOf":[{}],"type":"string"})", "1", true},
        {"any eight characters prefix a reference", R"({"$ref":"ABCDEFGHnumber"})", "1.5", true},
        {"reference decides alone", R"({"$ref":"#/$defs/number","type":"string"})", "1.5", true},
        {"reference to a missing definition refuses", R"({"$ref":"#/$defs/text"})", R"("x")", false},
        {"non-text reference is ignored", R"({"$ref":7,"type":"boolean"})", "true", true},
        {"a reference cycle refuses instead of recursing", R"({"$ref":"#/$defs/loop"})", "1", false},
        {"maxLength 1 accepts one astral emoji", R"({"type":"string","maxLength":1})", "\"\xF0\x9F\x98\x80\"", true},
        {"maxLength 1 refuses e with a combining accent", R"({"type":"string","maxLength":1})", "\"e\xCC\x81\"", false},
        {"minLength 2 refuses one scalar", R"({"type":"string","minLength":2})", "\"\xC3\xA9\"", false},
        {"pattern letter found anywhere", R"({"type":"string","pattern":"b"})", R"("abc")", true},
        {"anchored pattern accepts only the letter", R"({"type":"string","pattern":"^b$"})", R"("abc")", false},
        {"anchored pattern accepts the letter", R"({"type":"string","pattern":"^b$"})", R"("b")", true},
        {"invalid pattern refuses", R"({"type":"string","pattern":"("})", R"("(")", false},
        {"unknown format accepts", R"({"type":"string","format":"email"})", R"("x")", true},
        {"maxItems bounds arrays", R"({"type":"array","items":{},"maxItems":1})", "[1,2]", false},
        {"items apply to every element", R"({"type":"array","items":{"type":"integer"}})", "[1,2.5]", false},
        {"a key given twice means its last value",
         R"({"type":"object","properties":{"a":{"type":"integer"}}})",
         R"({"a":"x","a":1})",
         true},
        {"a key given twice is refused by its last value",
         R"({"type":"object","properties":{"a":{"type":"integer"}}})",
         R"({"a":1,"a":"x"})",
         false},
        {"const compares objects by their last values", R"({"const":{"a":1,"b":2}})", R"({"b":2,"a":0,"a":1.0})", true},
        {"an integer beyond 64 bits is a whole number",
         R"({"type":"integer","minimum":1e20})",
         "100000000000000000000",
         true},
        {"const -1 is not 2^64 - 1", R"({"const":-1})", "18446744073709551615", false},
        {"enum compares 2^64 - 1 by value", R"({"enum":[18446744073709551615]})", "18446744073709551615", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const test::ParsedJson received(row.value);
        ASSERT_TRUE(received.isValid());
        EXPECT_EQ(validator.checkSchema(received.value(), json(row.schema)), row.accepted);
    }
}

TEST(WireSchema, formatsFollowTheirRules)
{
    struct Row
    {
        const char* name;
        const char* format;
        std::string text;
        bool accepted;
    };

    const std::string longPath = "https://example.com/" + std::string(8192 - 20, 'a');
    const Row rows[] = {
        {"https address", "http-url", "https://example.com/a?b=c#d", true},
        {"scheme in capitals", "http-url", "HTTPS://example.com", true},
        {"port above 65535", "http-url", "https://example.com:99999/", true},
        {"user name", "http-url", "https://me@example.com", false},
        {"user and password", "http-url", "https://me:pw@example.com", false},
        {"space", "http-url", "https://example.com/a b", false},
        {"no-break space", "http-url", "https://example.com/a\xC2\xA0", false},
        {"line separator", "http-url", "https://example.com/\xE2\x80\xA8", false},
        {"backslash", "http-url", "https://example.com\\a", false},
        {"other scheme", "http-url", "ftp://example.com", false},
        {"no host", "http-url", "https:///path", false},
        {"relative reference", "http-url", "/path", false},
        {"8192 code units", "http-url", longPath, true},
        {"8193 code units", "http-url", longPath + "a", false},
        {"padded base64", "base64", "QUJDRA==", true},
        {"base64 without padding", "base64", "QUJDRA", false},
        {"base64 with a line break", "base64", "QUJD\nRA==", false},
        {"base64 URL alphabet", "base64", "-_-_", false},
        {"empty base64", "base64", "", true},
        {"base64 with one padding sign", "base64", "QUI=", true},
        {"base64 with leftover bits set", "base64", "QUJDRB==", false},
        {"base64 with three padding signs", "base64", "Q===", false},
        {"base64 padding inside", "base64", "QU=DRA==", false},
        {"time with milliseconds", "date-time", "2026-03-01T10:00:00.000Z", true},
        {"time without milliseconds", "date-time", "2026-03-01T10:00:00Z", false},
        {"time with an offset", "date-time", "2026-03-01T10:00:00.000+01:00", false},
        {"impossible date", "date-time", "2026-02-30T10:00:00.000Z", false},
        {"trailing line break", "date-time", "2026-03-01T10:00:00.000Z\n", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(wire_format::formatAccepts(row.format, row.text), row.accepted);
        if (std::string_view(row.format) == "base64") {
            EXPECT_EQ(base64Decode(row.text).has_value(), row.accepted) << "the decoder agrees";
        }
    }
}

} // namespace
} // namespace tavlen
