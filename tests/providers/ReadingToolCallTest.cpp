#include "ReadingToolCall.h"

#include "ProviderJSON.h"
#include "ProviderText.h"
#include "ReadingFailure.h"
#include "ReadingValidation.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tavlen {
namespace {

const Uuid priceID = *Uuid::parse("A0000000-0000-4000-8000-00000000000A");
const Uuid titleID = *Uuid::parse("B0000000-0000-4000-8000-00000000000B");

const std::vector<ReadingField> fields = {
    {priceID, "Price", ReadingFieldType::number, ""},
    {titleID, "Title", ReadingFieldType::text, ""},
};

// Arguments with the price and title members written as given.
std::string submitted(const std::string& price, const std::string& title)
{
    return R"({"a0000000-0000-4000-8000-00000000000a":)" + price + R"(,"b0000000-0000-4000-8000-00000000000b":)" +
           title + "}";
}

TEST(ReadingToolCallTest, answersOfTheModelBecomeReadingsOrTheirFailure)
{
    const std::string invalid(provider_text::invalidReadings);

    struct Row
    {
        const char* name;
        const char* tool;
        std::string arguments;
        std::string failure; // empty: readings 12.5 and "Blue / 42 "
    };

    const Row rows[] = {
        {"valid readings", "submit_readings", submitted(R"({"value":12.5})", R"({"value":"Blue / 42 "})"), ""},
        {"members in another order, spaced",
         "submit_readings",
         R"( { "b0000000-0000-4000-8000-00000000000b" : {"value":"Blue / 42 "}, )"
         R"("a0000000-0000-4000-8000-00000000000a": {"value": 1.25e1} } )",
         ""},
        {"one extra key",
         "submit_readings",
         R"({"a0000000-0000-4000-8000-00000000000a":{"value":12.5},)"
         R"("b0000000-0000-4000-8000-00000000000b":{"value":"x"},"c":{"value":1}})",
         invalid},
        {"upper-case UUID keys",
         "submit_readings",
         R"({"A0000000-0000-4000-8000-00000000000A":{"value":12.5},)"
         R"("B0000000-0000-4000-8000-00000000000B":{"value":"x"}})",
         invalid},
        {"a field missing", "submit_readings", R"({"a0000000-0000-4000-8000-00000000000a":{"value":12.5}})", invalid},
        {"no members", "submit_readings", "{}", invalid},
        {"number field answered with a string of digits",
         "submit_readings",
         submitted(R"({"value":"12.5"})", R"({"value":"x"})"),
         invalid},
        {"text field answered with a number",
         "submit_readings",
         submitted(R"({"value":12})", R"({"value":42})"),
         invalid},
        {"value null", "submit_readings", submitted(R"({"value":null})", R"({"value":"x"})"), invalid},
        {"value boolean", "submit_readings", submitted(R"({"value":true})", R"({"value":"x"})"), invalid},
        {"value array", "submit_readings", submitted(R"({"value":[1]})", R"({"value":"x"})"), invalid},
        {"value object", "submit_readings", submitted(R"({"value":{"n":1}})", R"({"value":"x"})"), invalid},
        {"a second member beside value",
         "submit_readings",
         submitted(R"({"value":1,"unit":"EUR"})", R"({"value":"x"})"),
         invalid},
        {"a bare value without its wrapper", "submit_readings", submitted("12.5", R"({"value":"x"})"), invalid},
        {"reason not_found", "report_failure", R"({"reason":"not_found"})", std::string(provider_text::fieldsNotFound)},
        {"reason uncertain",
         "report_failure",
         R"({"reason":"uncertain"})",
         std::string(provider_text::fieldsUncertain)},
        {"reason of another spelling", "report_failure", R"({"reason":"Not_Found"})", invalid},
        {"reason outside the two", "report_failure", R"({"reason":"blocked"})", invalid},
        {"reason not a string", "report_failure", R"({"reason":1})", invalid},
        {"reason beside a second key", "report_failure", R"({"reason":"not_found","detail":"x"})", invalid},
        {"report without reason", "report_failure", "{}", invalid},
        {"arguments an array", "submit_readings", "[]", invalid},
        {"arguments a string", "report_failure", R"("not_found")", invalid},
        {"tool name in another case",
         "Submit_readings",
         submitted(R"({"value":12.5})", R"({"value":"Blue / 42 "})"),
         invalid},
        {"tool name with a trailing space", "report_failure ", R"({"reason":"not_found"})", invalid},
        {"unknown tool", "submit", submitted(R"({"value":12.5})", R"({"value":"Blue / 42 "})"), invalid},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const ProviderJSON arguments = ProviderJSON::parse(row.arguments);
        try {
            const std::vector<Reading> readings = decodeToolCall(row.tool, arguments, fields);
            EXPECT_TRUE(row.failure.empty()) << "accepted";
            const std::vector<Reading> expected = {{priceID, "Price", ReadingValue::ofNumber(12.5)},
                                                   {titleID, "Title", ReadingValue::ofText("Blue / 42 ")}};
            EXPECT_TRUE(readingsEqual(readings, expected));
        } catch (const ReadingFailure& failure) {
            EXPECT_EQ(failure.message(), row.failure.empty() ? "(accepted)" : row.failure);
        }
    }
}

TEST(ReadingValidationTest, readingsComeBackInFieldOrderWithTheCurrentNames)
{
    const std::vector<Reading> answered = {{titleID, "Old title", ReadingValue::ofText("")},
                                           {priceID, "Old price", ReadingValue::ofNumber(0)}};
    const std::vector<Reading> expected = {{priceID, "Price", ReadingValue::ofNumber(0)},
                                           {titleID, "Title", ReadingValue::ofText("")}};
    EXPECT_TRUE(readingsEqual(validateReadings(answered, fields), expected));
}

TEST(ReadingValidationTest, refusesReadingsThatDoNotMatchTheFields)
{
    const double infinity = std::numeric_limits<double>::infinity();
    const Reading price{priceID, "Price", ReadingValue::ofNumber(1)};
    const Reading title{titleID, "Title", ReadingValue::ofText("x")};
    const Reading stranger{Uuid::random(), "Other", ReadingValue::ofText("x")};

    struct Row
    {
        const char* name;
        std::vector<Reading> readings;
    };

    const Row rows[] = {
        {"one reading short", {price}},
        {"one reading more", {price, title, stranger}},
        {"one id twice", {price, price}},
        {"a reading for another field", {price, stranger}},
        {"an infinite number", {{priceID, "Price", ReadingValue::ofNumber(infinity)}, title}},
        {"not a number", {{priceID, "Price", ReadingValue::ofNumber(std::nan(""))}, title}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_THROW(validateReadings(row.readings, fields), ReadingFailure);
    }
}

TEST(ReadingValidationTest, textReadingsStayWithinTheirByteLimits)
{
    std::vector<ReadingField> sixteen;
    std::vector<Reading> readings;
    for (int i = 0; i < 16; ++i) {
        sixteen.push_back({Uuid::random(), "Field", ReadingFieldType::text, ""});
        readings.push_back({sixteen.back().id, "Field", ReadingValue::ofText(std::string(65'536, 'a'))});
    }
    EXPECT_EQ(validateReadings(readings, sixteen).size(), 16u) << "1,048,576 bytes in all";

    std::vector<Reading> oneMore = readings;
    oneMore[15] = {sixteen[15].id, "Field", ReadingValue::ofText(std::string(65'535, 'a') + "é")};
    EXPECT_THROW(validateReadings(oneMore, sixteen), ReadingFailure) << "65,537 bytes in one reading";

    std::vector<ReadingField> seventeen = sixteen;
    seventeen.push_back({Uuid::random(), "Field", ReadingFieldType::text, ""});
    readings.push_back({seventeen.back().id, "Field", ReadingValue::ofText("a")});
    EXPECT_THROW(validateReadings(readings, seventeen), ReadingFailure) << "one byte past the total";

    readings.back() = {seventeen.back().id, "Field", ReadingValue::ofText("")};
    EXPECT_EQ(validateReadings(readings, seventeen).size(), 17u) << "an empty text adds nothing";
}

TEST(ReadingValidationTest, fieldsNeedAnIdentityFirstAndThenANameEach)
{
    const Uuid shared = Uuid::random();

    struct Row
    {
        const char* name;
        std::vector<ReadingField> fields;
        std::string failure; // empty: accepted
    };

    const Row rows[] = {
        {"no field", {}, std::string(provider_text::fieldIdentity)},
        {"one id twice, also with a blank name",
         {{shared, "Price", ReadingFieldType::number, ""}, {shared, " ", ReadingFieldType::text, ""}},
         std::string(provider_text::fieldIdentity)},
        {"a name of spaces and line feeds",
         {{Uuid::random(), "Price", ReadingFieldType::number, ""},
          {Uuid::random(), " \n\t\n ", ReadingFieldType::text, ""}},
         std::string(provider_text::fieldName)},
        {"an empty name", {{Uuid::random(), "", ReadingFieldType::text, ""}}, std::string(provider_text::fieldName)},
        {"names with spaces around them", {{Uuid::random(), " Price ", ReadingFieldType::number, ""}}, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            validateReadingFields(row.fields);
            EXPECT_EQ(row.failure, "");
        } catch (const ReadingFailure& failure) {
            EXPECT_EQ(failure.message(), row.failure);
        }
    }
}

TEST(ReadingFailureTest, aMissingKeyNamesTheProviderAndFailuresCompareBySentence)
{
    EXPECT_EQ(ReadingFailure::missingAPIKey(ModelSelection::Provider::anthropic).message(),
              "Save your Anthropic API key in Settings to execute Read.");
    EXPECT_EQ(ReadingFailure::missingAPIKey(ModelSelection::Provider::gemini).message(),
              "Save your Gemini API key in Settings to execute Read.");
    EXPECT_EQ(ReadingFailure::invalidReadings(), ReadingFailure(provider_text::invalidReadings));
    EXPECT_FALSE(ReadingFailure::fieldsNotFound() == ReadingFailure::fieldsUncertain());
}

} // namespace
} // namespace tavlen
