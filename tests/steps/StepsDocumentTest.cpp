#include "StepsDocument.h"

#include "MonitorStoreError.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

const char* const openPageID = "9C5B2D61-0E4F-4B7A-8D3C-2A1F6E9B7C40";
const char* const readID = "B2F71E3A-5C84-4D9E-A6B0-1C3D7E8F9A25";
const char* const fieldID = "3E8A6F12-7B9D-4C05-A1E4-5D2C8B9F0A63";
const char* const modelID = "71D4C9B8-2A5E-4F36-9B1C-E0F7A3D65248";

const std::string storedExample =
    R"({"steps":[{"content":{"openPage":{"delay":1,"url":"https://shop.example/item/7?a=b",)"
    R"("viewport":{"deviceScaleFactor":2,"height":900,"mobile":false,"width":1280}}},)"
    R"("id":"9C5B2D61-0E4F-4B7A-8D3C-2A1F6E9B7C40"},)"
    R"({"content":{"read":{"fields":[{"id":"3E8A6F12-7B9D-4C05-A1E4-5D2C8B9F0A63",)"
    R"("instruction":"","name":"Price","type":"number"}],)"
    R"("modelID":"71D4C9B8-2A5E-4F36-9B1C-E0F7A3D65248","timeoutSeconds":60}},)"
    R"("id":"B2F71E3A-5C84-4D9E-A6B0-1C3D7E8F9A25",)"
    R"("region":{"height":48,"width":220,"x":640,"y":312.5},)"
    R"("sourceID":"9C5B2D61-0E4F-4B7A-8D3C-2A1F6E9B7C40"}]})";

Uuid uuid(const char* text)
{
    return *Uuid::parse(text);
}

StepsDocument exampleDocument()
{
    StepsDocument document;
    document.steps.push_back(StepsDocument::Entry{
        uuid(openPageID),
        std::nullopt,
        std::nullopt,
        StepsDocument::OpenPage{"https://shop.example/item/7?a=b", 1, BrowserCaptureSettings{1280, 900, 2.0, false}},
    });
    document.steps.push_back(StepsDocument::Entry{
        uuid(readID),
        uuid(openPageID),
        BrowserRect{640, 312.5, 220, 48},
        StepsDocument::Read{
            {StepsDocument::Field{uuid(fieldID), "Price", StepsDocument::Field::ValueType::number, ""}},
            uuid(modelID),
            60,
        },
    });
    return document;
}

MonitorStoreError decodeError(std::string_view text, std::int64_t version = 1)
{
    try {
        StepsDocument::decodeStored(text, version);
    } catch (const MonitorStoreError& error) {
        return error;
    }
    ADD_FAILURE() << "decoded: " << text;
    return MonitorStoreError::storage();
}

TEST(StepsDocumentTest, encodesSortedCompactWithPlainSlashesAndUpperCaseIds)
{
    EXPECT_EQ(exampleDocument().encodeStored(), storedExample);
    EXPECT_EQ(StepsDocument::decodeStored(storedExample, 1), exampleDocument());
}

TEST(StepsDocumentTest, decodingIgnoresUnknownKeysAcceptsLowerCaseIdsAndNulls)
{
    std::string text = R"({"steps":[{"content":{"openPage":{"delay":0,"url":"u","extra":[1]}},"note":true,)"
                       R"("id":"9c5b2d61-0e4f-4b7a-8d3c-2a1f6e9b7c40","region":null},)"
                       R"({"content":{"read":{"fields":[],"modelID":null},"note":1},)"
                       R"("id":"b2f71e3a-5c84-4d9e-a6b0-1c3d7e8f9a25","sourceID":null}],"version":9})";
    StepsDocument document = StepsDocument::decodeStored(text, 1);
    ASSERT_EQ(document.steps.size(), 2u);
    EXPECT_EQ(document.steps[0].id, uuid(openPageID));
    EXPECT_FALSE(document.steps[0].region);
    const auto& openPage = std::get<StepsDocument::OpenPage>(document.steps[0].content);
    EXPECT_FALSE(openPage.viewport);
    const auto& read = std::get<StepsDocument::Read>(document.steps[1].content);
    EXPECT_FALSE(read.modelID);
    EXPECT_FALSE(read.timeoutSeconds);
    EXPECT_FALSE(document.steps[1].sourceID);

    // Written again, ids are upper case and absent values are left out, never null.
    EXPECT_EQ(document.encodeStored(),
              R"({"steps":[{"content":{"openPage":{"delay":0,"url":"u"}},"id":"9C5B2D61-0E4F-4B7A-8D3C-2A1F6E9B7C40"},)"
              R"({"content":{"read":{"fields":[]}},"id":"B2F71E3A-5C84-4D9E-A6B0-1C3D7E8F9A25"}]})");
}

TEST(StepsDocumentTest, refusesWhatIsNotADocument)
{
    const std::string id = R"("id":"9C5B2D61-0E4F-4B7A-8D3C-2A1F6E9B7C40")";

    struct Row
    {
        const char* name;
        std::string text;
    };

    const Row rows[] = {
        {"not JSON", "{"},
        {"invalid UTF-8", "{\"steps\":[],\"x\":\"\xFF\"}"},
        {"top level array", "[]"},
        {"no steps", "{}"},
        {"steps null", R"({"steps":null})"},
        {"both case keys",
         R"({"steps":[{"content":{"openPage":{"delay":1,"url":"u"},"read":{"fields":[]}},)" + id + "}]}"},
        {"no case key", R"({"steps":[{"content":{"note":1},)" + id + "}]}"},
        {"case key null", R"({"steps":[{"content":{"read":null},)" + id + "}]}"},
        {"open page without delay", R"({"steps":[{"content":{"openPage":{"url":"u"}},)" + id + "}]}"},
        {"fractional delay", R"({"steps":[{"content":{"openPage":{"delay":1.5,"url":"u"}},)" + id + "}]}"},
        {"delay beyond 64 bits",
         R"({"steps":[{"content":{"openPage":{"delay":9223372036854775808,"url":"u"}},)" + id + "}]}"},
        {"id not a UUID", R"({"steps":[{"content":{"read":{"fields":[]}},"id":"nope"}]})"},
        {"missing id", R"({"steps":[{"content":{"read":{"fields":[]}}}]})"},
        {"unknown field type",
         R"({"steps":[{"content":{"read":{"fields":[{"id":"3E8A6F12-7B9D-4C05-A1E4-5D2C8B9F0A63",)"
         R"("instruction":"","name":"n","type":"date"}]}},)" +
             id + "}]}"},
        {"field without instruction",
         R"({"steps":[{"content":{"read":{"fields":[{"id":)"
         R"("3E8A6F12-7B9D-4C05-A1E4-5D2C8B9F0A63","name":"n","type":"text"}]}},)" +
             id + "}]}"},
        {"mobile as number",
         R"({"steps":[{"content":{"openPage":{"delay":1,"url":"u","viewport":)"
         R"({"deviceScaleFactor":1,"height":1,"mobile":0,"width":1}}},)" +
             id + "}]}"},
        {"region missing a key",
         R"({"steps":[{"content":{"read":{"fields":[]}},"region":{"x":1,"y":1,"width":1},)" + id + "}]}"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(decodeError(row.text), MonitorStoreError::invalidStoredData());
    }
}

TEST(StepsDocumentTest, anotherFormatVersionIsRefusedBeforeTheTextIsRead)
{
    EXPECT_EQ(decodeError(storedExample, 2), MonitorStoreError::unsupportedStepsFormat(2));
    EXPECT_EQ(decodeError("not even JSON", 0), MonitorStoreError::unsupportedStepsFormat(0));
}

TEST(StepsDocumentTest, equalityComparesUserTextsByBytesAndOptionalsStrictly)
{
    StepsDocument a = exampleDocument();
    StepsDocument b = exampleDocument();
    std::get<StepsDocument::Read>(a.steps[1].content).fields[0].name = "caf\xC3\xA9";
    std::get<StepsDocument::Read>(b.steps[1].content).fields[0].name = "cafe\xCC\x81";
    EXPECT_NE(a, b);

    StepsDocument withoutSource = exampleDocument();
    withoutSource.steps[1].sourceID.reset();
    EXPECT_NE(withoutSource, exampleDocument());

    StepsDocument withoutTimeout = exampleDocument();
    std::get<StepsDocument::Read>(withoutTimeout.steps[1].content).timeoutSeconds.reset();
    EXPECT_NE(withoutTimeout, exampleDocument());
    EXPECT_EQ(exampleDocument(), exampleDocument());
}

} // namespace
} // namespace tavlen
