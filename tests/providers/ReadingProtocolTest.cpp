#include "ReadingPrompt.h"
#include "ReadingTools.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>

namespace tavlen {
namespace {

std::string fileBytes(const std::string& name)
{
    std::ifstream file(std::string(TAVLEN_TEST_DATA_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

ReadingField field(const char* uuid, std::string name, ReadingFieldType type, std::string instruction = {})
{
    return ReadingField{*Uuid::parse(uuid), std::move(name), type, std::move(instruction)};
}

TEST(ReadingPromptTest, theSystemPromptIsTheThreeTextsByteForByte)
{
    const std::string& prompt = readingSystemPrompt();
    EXPECT_EQ(prompt, fileBytes("reading-system-prompt.txt"));
    EXPECT_EQ(prompt.size(), 1938u);
    EXPECT_EQ(readingTaskText.size(), 319u);
    EXPECT_EQ(readingEvidenceRules.size(), 1004u);
    EXPECT_EQ(readingToolRules.size(), 615u);
    EXPECT_EQ(std::count(prompt.begin(), prompt.end(), '\n'), 22);
    EXPECT_EQ(prompt.find('\r'), std::string::npos);
    // The seams: the task text's closing line feed and the tool rules' opening one.
    EXPECT_NE(prompt.find("region.\nThe screenshot crop"), std::string::npos);
    EXPECT_NE(prompt.find("from labels.\nMake exactly one function call"), std::string::npos);
    EXPECT_EQ(readingEvidenceRules.front(), 'T');
    EXPECT_EQ(readingEvidenceRules.back(), '.');
    EXPECT_EQ(&readingSystemPrompt(), &prompt);
}

TEST(ReadingFieldListTest, listsEveryFieldWithLowerCaseIdsAndEscapedSlashes)
{
    const std::vector<ReadingField> fields = {
        field("6F9619FF-8B86-D011-B42D-00C04FC964FF", "Price", ReadingFieldType::number),
        field("00000000-0000-4000-8000-0000000000AB", " Größe / Size ", ReadingFieldType::text, "Use the \"EU\" row"),
    };
    const std::string json = readingFieldListJSON(fields);
    EXPECT_EQ(json.find('\n'), std::string::npos) << "compact";
    EXPECT_EQ(json.find(": "), std::string::npos) << "compact";
    EXPECT_EQ(json.find(", "), std::string::npos) << "compact";
    EXPECT_NE(json.find(R"(" Größe \/ Size ")"), std::string::npos) << json;
    EXPECT_EQ(json.find("6F9619FF"), std::string::npos);
    EXPECT_EQ(nlohmann::json::parse(json), nlohmann::json::parse(R"([
        {"id": "6f9619ff-8b86-d011-b42d-00c04fc964ff", "name": "Price", "type": "Number", "instruction": ""},
        {"id": "00000000-0000-4000-8000-0000000000ab", "name": " Größe / Size ", "type": "Text",
         "instruction": "Use the \"EU\" row"}
    ])"));
}

TEST(ReadingToolsTest, submitReadingsWrapsEveryFieldValueInAStrictObject)
{
    const std::vector<ReadingField> fields = {
        field("B0000000-0000-4000-8000-000000000002", "Name", ReadingFieldType::text),
        field("A0000000-0000-4000-8000-000000000001", "Price", ReadingFieldType::number),
    };
    const nlohmann::json strictValue = [](const char* type) {
        return nlohmann::json{{"type", "object"},
                              {"properties", {{"value", {{"type", type}}}}},
                              {"required", {"value"}},
                              {"additionalProperties", false}};
    }("string");
    nlohmann::json numberValue = strictValue;
    numberValue["properties"]["value"]["type"] = "number";
    const nlohmann::json expected = {
        {"type", "object"},
        {"properties",
         {{"b0000000-0000-4000-8000-000000000002", strictValue},
          {"a0000000-0000-4000-8000-000000000001", numberValue}}},
        {"required", {"a0000000-0000-4000-8000-000000000001", "b0000000-0000-4000-8000-000000000002"}},
        {"additionalProperties", false},
    };
    EXPECT_EQ(submitReadingsSchema(fields).toJson(), expected);
}

TEST(ReadingToolsTest, reportFailureAllowsOnlyTheTwoReasonsAndTheToolsKeepTheirOrder)
{
    EXPECT_EQ(reportFailureSchema().toJson(), nlohmann::json::parse(R"({
        "type": "object",
        "properties": {"reason": {"type": "string", "enum": ["not_found", "uncertain"]}},
        "required": ["reason"],
        "additionalProperties": false
    })"));
    EXPECT_EQ(&reportFailureSchema(), &reportFailureSchema());
    EXPECT_EQ(submitReadingsTool.name, "submit_readings");
    EXPECT_EQ(submitReadingsTool.description, "Return every field with its declared type.");
    EXPECT_EQ(reportFailureTool.name, "report_failure");
    EXPECT_EQ(reportFailureTool.description, "Report that at least one field cannot be extracted.");
}

} // namespace
} // namespace tavlen
