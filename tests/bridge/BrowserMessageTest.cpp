#include "BrowserMessage.h"

#include "BridgeFailure.h"
#include "BrowserWireValidator.h"
#include "JsonText.h"
#include "JsonWriter.h"
#include "ParsedJson.h"
#include "WireCoding.h"
#include "WireSamples.h"
#include "WireSnapshotParts.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

using test::json;

// The message decoder alone, without the schema before it.
BrowserMessage decoded(std::string_view text, std::int64_t protocolVersion = 1)
{
    const test::ParsedJson parsed(text);
    EXPECT_TRUE(parsed.isValid()) << text;
    WireSnapshotParts parts;
    return BrowserMessage::decode(parsed.value(), protocolVersion, parts);
}

TEST(BrowserMessage, everyKindRoundTripsThroughTheValidatorWithTheRealResources)
{
    const BrowserWireValidator validator = BrowserWireValidator::load();
    for (const auto& sample : test::sampleMessages()) {
        SCOPED_TRACE(sample.name);
        const std::string bytes = sample.message.encodedBytes(validator.protocolVersion());
        try {
            const BrowserMessage decoded = validator.decode(bytes);
            EXPECT_EQ(decoded.kind(), sample.message.kind());
            EXPECT_EQ(decoded, sample.message);
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what() << "\n" << bytes.substr(0, 2000);
        }
    }
}

TEST(BrowserMessage, encodesTheEnvelopeKeysOfEachKind)
{
    for (const auto& sample : test::sampleMessages()) {
        SCOPED_TRACE(sample.name);
        const nlohmann::json encoded = sample.message.encode(7);
        EXPECT_EQ(encoded.at("v"), 7);
        EXPECT_EQ(encoded.at("type"), BrowserMessage::kindName(sample.message.kind()));
        EXPECT_EQ(encoded.contains("connectionId"), sample.message.connectionID().has_value());
        const auto kind = sample.message.kind();
        const bool writesExecution = kind == BrowserMessage::Kind::request || kind == BrowserMessage::Kind::response ||
                                     kind == BrowserMessage::Kind::status || kind == BrowserMessage::Kind::cancel;
        EXPECT_EQ(encoded.contains("executionId"), writesExecution);
    }
    const auto status = test::sampleMessages().at(5);
    ASSERT_EQ(status.message.kind(), BrowserMessage::Kind::request);
    EXPECT_EQ(
        writeJson(status.message.encode(1)),
        R"({"connectionId":"9F2C4E1A-7B3D-4C5E-8A6F-0D1E2F3A4B5C","executionId":null,"request":)"
        R"({"command":"status","requestId":"0B7E5A3C-1D2F-4E6A-8B9C-7D6E5F4A3B2C"},"sequence":1,"type":"request","v":1})");
}

TEST(BrowserMessage, recordsWriteAbsentMembersAsTheirTablesSay)
{
    const BrowserStatus idle{"idle", std::nullopt, false, 20, std::nullopt, std::nullopt};
    EXPECT_EQ(
        writeJson(idle.encode()),
        R"({"busy":false,"expiresAt":null,"lastError":null,"operationsRemaining":20,"sessionId":null,"state":"idle"})");
    const BrowserResponse bare{std::nullopt, idle, true, std::nullopt, std::nullopt};
    EXPECT_FALSE(bare.encode().contains("requestId"));
    EXPECT_FALSE(bare.encode().contains("snapshot"));
    EXPECT_FALSE(bare.encode().contains("error"));
    const test::ParsedJson parsed(writeJson(bare.encode()));
    WireSnapshotParts parts;
    EXPECT_EQ(BrowserResponse::decode(parsed.value(), parts), bare);

    BrowserStatus later = test::sampleStatus();
    later.expiresAt = *later.expiresAt + 1;
    EXPECT_NE(later, test::sampleStatus());

    const BrowserStatus initial = BrowserStatus::initial(BrowserLimits{1, 1, 1, 1, 1, 33});
    EXPECT_EQ(initial.state, "idle");
    EXPECT_EQ(initial.operationsRemaining, 33);
    EXPECT_FALSE(initial.sessionID || initial.expiresAt || initial.lastError);
}

TEST(BrowserMessage, decodingFailuresKeepTheVersionMismatchApart)
{
    struct Row
    {
        const char* name;
        const char* text;
        bool versionMismatch; // else the decoder's own failure
    };

    const Row rows[] = {
        {"another version", R"({"v":2,"type":"ping","connectionId":"c"})", true},
        {"another version and an unknown type", R"({"v":2,"type":"shout"})", true},
        {"version as a string", R"({"v":"1","type":"ping","connectionId":"c"})", false},
        {"fractional version", R"({"v":1.5,"type":"ping","connectionId":"c"})", false},
        {"missing version", R"({"type":"ping","connectionId":"c"})", false},
        {"unknown type", R"({"v":1,"type":"shout","connectionId":"c"})", false},
        {"ping without connection", R"({"v":1,"type":"ping"})", false},
        {"status without connection",
         R"({"v":1,"type":"status","status":{"state":"idle","busy":false,"operationsRemaining":1}})",
         false},
        {"cancel without execution",
         R"({"v":1,"type":"cancel","connectionId":"c","sequence":1,"requestId":"r"})",
         false},
        {"cancel with null execution",
         R"({"v":1,"type":"cancel","connectionId":"c","executionId":null,"sequence":1,"requestId":"r"})",
         false},
        {"checked as a boolean",
         R"({"v":1,"type":"status","connectionId":"c","status":{"state":"idle","busy":"no","operationsRemaining":1}})",
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            decoded(row.text);
            ADD_FAILURE() << "decoded";
        } catch (const BridgeFailure& failure) {
            EXPECT_TRUE(row.versionMismatch);
            EXPECT_EQ(failure, BridgeFailure::invalidMessage());
        } catch (const WireDecodingError&) {
            EXPECT_FALSE(row.versionMismatch);
        }
    }
}

TEST(BrowserMessage, decoderTakesMissingAndNullAlikeAndIgnoresUnknownKeys)
{
    const auto missing = decoded(
        R"({"v":1,"type":"status","connectionId":"c","status":{"state":"x","busy":false,"operationsRemaining":1}})");
    const auto null = decoded(
        R"({"v":1,"type":"status","connectionId":"c","executionId":null,"status":{"state":"x","busy":false,"operationsRemaining":1,"sessionId":null,"lastError":null}})");
    EXPECT_EQ(missing, null);
    EXPECT_FALSE(std::get<BrowserMessage::Status>(missing.payload).executionID.has_value());

    const auto hello = decoded(
        R"({"v":1,"type":"hello","connectionId":"c","profileId":"p","profileName":"n","version":"1","extra":1})");
    EXPECT_EQ(hello.kind(), BrowserMessage::Kind::hello);
    EXPECT_FALSE(hello.connectionID().has_value());
}

TEST(BrowserMessage, textsCompareByCanonicalEquivalence)
{
    using M = BrowserMessage;
    // One message of every kind, with the given text in a text member of the message itself.
    const auto messages = [](const std::string& text) {
        return std::vector<M>{
            {M::Hello{"p", text, "1.0"}},
            {M::Welcome{"c", text, true}},
            {M::Selection{text, true}},
            {M::Ping{text}},
            {M::Pong{text}},
            {M::Request{"c", text, 1, BrowserRequest{}}},
            {M::Cancel{"c", "e", 1, text}},
            {M::Response{text, std::nullopt, BrowserResponse{}}},
            {M::Status{"c", text, BrowserStatus{}}},
            {M::Unavailable{"code", text}},
        };
    };
    const auto precomposed = messages("Caf\xC3\xA9");
    const auto decomposed = messages("Cafe\xCC\x81");
    const auto other = messages("Cafe");
    for (std::size_t i = 0; i < precomposed.size(); ++i) {
        SCOPED_TRACE(M::kindName(precomposed[i].kind()));
        EXPECT_EQ(precomposed[i], decomposed[i]);
        EXPECT_NE(precomposed[i], other[i]);
    }
}

TEST(BrowserMessage, directionsFollowTheTable)
{
    using K = BrowserMessage::Kind;
    const std::vector<K> toTavlen = {K::hello, K::ping, K::pong, K::response, K::status};
    const std::vector<K> toChrome = {K::welcome, K::selection, K::ping, K::pong, K::request, K::cancel, K::unavailable};
    for (int i = 0; i < 10; ++i) {
        const auto kind = static_cast<K>(i);
        SCOPED_TRACE(std::string(BrowserMessage::kindName(kind)));
        EXPECT_EQ(BrowserMessage::travelsToTavlen(kind), std::ranges::count(toTavlen, kind) == 1);
        EXPECT_EQ(BrowserMessage::travelsToChrome(kind), std::ranges::count(toChrome, kind) == 1);
        EXPECT_EQ(BrowserMessage::kindFromName(BrowserMessage::kindName(kind)), kind);
    }
}

} // namespace
} // namespace tavlen
