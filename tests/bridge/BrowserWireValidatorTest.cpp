#include "BrowserWireValidator.h"

#include "Base64.h"
#include "BridgeFailure.h"
#include "BrowserResources.h"
#include "JsonParse.h"
#include "JsonWriter.h"
#include "WireCoding.h"
#include "WireSamples.h"

#include <gtest/gtest.h>

#include <functional>

namespace tavlen {
namespace {

enum class Outcome
{
    accepted,
    invalidMessage,      // BridgeFailure "Invalid or incompatible browser message." without a code
    invalidRequest,      // BridgeFailure with the capture-settings sentence and "invalid_request"
    decodingError,       // the JSON reader's or the typed decoder's own failure
    wrongDirection,      // a valid message of a kind that may not travel the way it came
    unsupportedGeometry, // BridgeFailure with the geometry sentence and "unsupported_geometry"
};

// Where a frame comes from: the validator alone, or the validator followed by what the receiver checks next.
enum class Route
{
    validator,
    fromChrome, // the host and Tavlen refuse kinds that do not travel from Chrome to Tavlen
    fromTavlen, // the host refuses kinds that do not travel from Tavlen to Chrome
    capture,    // the capture service holds the snapshot against the viewport it asked for
};

struct WrongDirection
{};

Outcome outcomeOf(const std::function<void()>& run)
{
    try {
        run();
        return Outcome::accepted;
    } catch (const BridgeFailure& failure) {
        if (failure == BridgeFailure::invalidMessage()) {
            return Outcome::invalidMessage;
        }
        if (failure == BridgeFailure(bridge_text::invalidCaptureSettings, bridge_code::invalidRequest)) {
            return Outcome::invalidRequest;
        }
        if (failure == BridgeFailure(bridge_text::unsupportedGeometry, bridge_code::unsupportedGeometry)) {
            return Outcome::unsupportedGeometry;
        }
        ADD_FAILURE() << "unexpected failure: " << failure.what();
    } catch (const WireDecodingError&) {
        return Outcome::decodingError;
    } catch (const WrongDirection&) {
        return Outcome::wrongDirection;
    }
    return Outcome::accepted;
}

void receive(const BrowserWireValidator& validator, const std::string& frame, Route route)
{
    const BrowserMessage message = validator.decode(frame);
    switch (route) {
    case Route::validator:
        break;
    case Route::fromChrome:
        if (!BrowserMessage::travelsToTavlen(message.kind())) {
            throw WrongDirection{};
        }
        break;
    case Route::fromTavlen:
        if (!BrowserMessage::travelsToChrome(message.kind())) {
            throw WrongDirection{};
        }
        break;
    case Route::capture:
        std::get<BrowserMessage::Response>(message.payload)
            .response.snapshot.value()
            .checkGeometry(test::sampleCaptureSettings());
        break;
    }
}

nlohmann::json sample(const std::string& name)
{
    for (const auto& message : test::sampleMessages()) {
        if (message.name == name) {
            return message.message.encode(1);
        }
    }
    ADD_FAILURE() << "no sample " << name;
    return {};
}

std::string edited(const std::string& name, const std::function<void(nlohmann::json&)>& edit)
{
    nlohmann::json message = sample(name);
    edit(message);
    return writeJson(message);
}

nlohmann::json& snapshotOf(nlohmann::json& message)
{
    return message["response"]["snapshot"];
}

nlohmann::json& treeOf(nlohmann::json& message)
{
    return snapshotOf(message)["pageTree"];
}

TEST(BrowserWireValidator, refusesEachKindOfInvalidFrame)
{
    const BrowserWireValidator validator = BrowserWireValidator::load();
    static constexpr char jpegBytes[] = "\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00"
                                        "\xFF\xDB\x00\x43\x00\x08\x06\x06\x07\x06\x05\x08\x07\x07\x07";
    const std::string jpeg = base64Encode(std::string(jpegBytes, sizeof jpegBytes - 1));

    struct Row
    {
        std::string name;
        std::string frame;
        Outcome expected;
        Route route = Route::validator;
    };

    const std::vector<Row> rows = {
        {"another protocol version", edited("ping", [](auto& m) { m["v"] = 2; }), Outcome::invalidMessage},
        {"another version with an unknown type",
         edited("ping", [](auto& m) { m["v"] = 2, m["type"] = "shout"; }),
         Outcome::invalidMessage},
        {"version as a string", edited("ping", [](auto& m) { m["v"] = "1"; }), Outcome::invalidMessage},
        {"fractional version", edited("ping", [](auto& m) { m["v"] = 1.5; }), Outcome::invalidMessage},
        {"unknown kind", edited("ping", [](auto& m) { m["type"] = "shout"; }), Outcome::invalidMessage},
        {"not JSON", "{\"v\":1,", Outcome::decodingError},
        {"nested beyond the depth bound", std::string(100, '[') + std::string(100, ']'), Outcome::decodingError},
        {"a JSON array", "[1]", Outcome::invalidMessage},
        {"undeclared envelope property", edited("ping", [](auto& m) { m["extra"] = 1; }), Outcome::invalidMessage},
        {"hello with a connection id",
         edited("hello", [](auto& m) { m["connectionId"] = test::connectionID; }),
         Outcome::invalidMessage},
        {"undeclared status property",
         edited("status", [](auto& m) { m["status"]["color"] = "red"; }),
         Outcome::invalidMessage},
        {"connection id that is not a UUID",
         edited("ping", [](auto& m) { m["connectionId"] = "connection-1"; }),
         Outcome::invalidMessage},
        {"cancel with a null execution",
         edited("cancel", [](auto& m) { m["executionId"] = nullptr; }),
         Outcome::invalidMessage},
        {"status request with an execution",
         edited("status request without execution", [](auto& m) { m["executionId"] = test::executionID; }),
         Outcome::invalidMessage},
        {"capture request without an execution",
         edited("capture request", [](auto& m) { m["executionId"] = nullptr; }),
         Outcome::invalidMessage},
        {"start request with a zero-width viewport",
         edited("start request with viewport", [](auto& m) { m["request"]["viewport"]["width"] = 0; }),
         Outcome::invalidRequest},
        {"start request with a negative scale factor",
         edited("start request with viewport", [](auto& m) { m["request"]["viewport"]["deviceScaleFactor"] = -1; }),
         Outcome::invalidRequest},
        {"start request for an ftp address",
         edited("start request with viewport", [](auto& m) { m["request"]["url"] = "ftp://example.com/"; }),
         Outcome::invalidMessage},
        {"start request for an address with a user",
         edited("start request with viewport", [](auto& m) { m["request"]["url"] = "https://me@example.com/"; }),
         Outcome::invalidMessage},
        {"snapshot address with a space",
         edited("response with snapshot", [](auto& m) { snapshotOf(m)["url"] = "https://example.com/a b"; }),
         Outcome::invalidMessage},
        {"image that is not base64",
         edited("response with snapshot", [](auto& m) { snapshotOf(m)["imageBase64"] = std::string(48, '!'); }),
         Outcome::invalidMessage},
        {"image that is a JPEG",
         edited("response with snapshot", [&](auto& m) { snapshotOf(m)["imageBase64"] = jpeg; }),
         Outcome::invalidMessage},
        {"PNG one pixel wider than declared",
         edited("response with snapshot", [](auto& m) { snapshotOf(m)["imageWidth"] = 15; }),
         Outcome::invalidMessage},
        {"PNG one pixel shorter than declared",
         edited("response with snapshot", [](auto& m) { snapshotOf(m)["imageHeight"] = 13; }),
         Outcome::invalidMessage},
        {"page tree of another snapshot",
         edited("response with snapshot", [](auto& m) { snapshotOf(m)["pageTree"]["snapshotId"] = "snapshot-2"; }),
         Outcome::invalidMessage},
        {"page tree child pointing back",
         edited("response with snapshot",
                [](auto& m) { snapshotOf(m)["pageTree"]["nodes"][1]["children"] = nlohmann::json::array({"n1"}); }),
         Outcome::invalidMessage},
        {"page tree fragment with a negative start",
         edited("response with snapshot",
                [](auto& m) { snapshotOf(m)["pageTree"]["nodes"][1]["fragments"][0]["start"] = -1; }),
         Outcome::invalidMessage},
        {"page tree finished before it started",
         edited("response with snapshot", [](auto& m) { treeOf(m)["finishedAt"] = "2026-03-01T09:59:59.999Z"; }),
         Outcome::invalidMessage},
        {"complete page tree with a reason",
         edited("response with snapshot", [](auto& m) { treeOf(m)["reasons"] = {"timeout"}; }),
         Outcome::invalidMessage},
        {"partial page tree without reasons",
         edited("response with snapshot", [](auto& m) { treeOf(m)["status"] = "partial"; }),
         Outcome::invalidMessage},
        {"unavailable page tree with nodes",
         edited("response with snapshot",
                [](auto& m) { treeOf(m)["status"] = "unavailable", treeOf(m)["reasons"] = {"blocked"}; }),
         Outcome::invalidMessage},
        {"page tree with a duplicate id",
         edited("response with snapshot", [](auto& m) { treeOf(m)["nodes"][2]["id"] = "n2"; }),
         Outcome::invalidMessage},
        {"page tree child with two parents",
         edited("response with snapshot",
                [](auto& m) { treeOf(m)["nodes"][1]["children"] = nlohmann::json::array({"n3"}); }),
         Outcome::invalidMessage},
        {"page tree header pointing nowhere",
         edited("response with snapshot",
                [](auto& m) { treeOf(m)["nodes"][1]["structure"]["headers"] = nlohmann::json::array({"n9"}); }),
         Outcome::invalidMessage},
        {"page tree fragment beyond its text",
         edited("response with snapshot",
                [](auto& m) {
                    treeOf(m)["nodes"][1]["fragments"][0]["start"] = 12;
                    treeOf(m)["nodes"][1]["fragments"][0]["length"] = 2;
                }),
         Outcome::invalidMessage},
        {"page tree fragment splitting an emoji",
         edited("response with snapshot",
                [](auto& m) {
                    treeOf(m)["nodes"][1]["fragments"][0]["start"] = 7;
                    treeOf(m)["nodes"][1]["fragments"][0]["length"] = 1;
                }),
         Outcome::invalidMessage},
        {"page-tree node of an empty kind",
         edited("response with snapshot", [](auto& m) { treeOf(m)["nodes"][0]["kind"] = ""; }),
         Outcome::invalidMessage},
        {"capture at twice the pixel scale",
         edited("response with snapshot", [](auto& m) { snapshotOf(m)["geometry"]["scale"] = 2; }),
         Outcome::unsupportedGeometry,
         Route::capture},
        {"capture two pixels narrower than asked",
         edited("response with snapshot", [](auto& m) { snapshotOf(m)["geometry"]["width"] = 318; }),
         Outcome::unsupportedGeometry,
         Route::capture},
        {"capture of a zoomed page",
         edited("response with snapshot", [](auto& m) { snapshotOf(m)["geometry"]["zoom"] = 1.25; }),
         Outcome::unsupportedGeometry,
         Route::capture},
        {"capture image not at the device scale",
         edited("response with snapshot", [](auto& m) { snapshotOf(m)["contentRect"]["width"] = 16; }),
         Outcome::unsupportedGeometry,
         Route::capture},
        {"the sample capture keeps the viewport",
         writeJson(sample("response with snapshot")),
         Outcome::accepted,
         Route::capture},
        {"welcome from Chrome", writeJson(sample("welcome")), Outcome::wrongDirection, Route::fromChrome},
        {"selection from Chrome", writeJson(sample("selection")), Outcome::wrongDirection, Route::fromChrome},
        {"request from Chrome", writeJson(sample("capture request")), Outcome::wrongDirection, Route::fromChrome},
        {"cancel from Chrome", writeJson(sample("cancel")), Outcome::wrongDirection, Route::fromChrome},
        {"unavailable from Chrome", writeJson(sample("unavailable")), Outcome::wrongDirection, Route::fromChrome},
        {"hello from Tavlen", writeJson(sample("hello")), Outcome::wrongDirection, Route::fromTavlen},
        {"response from Tavlen",
         writeJson(sample("idle response without execution")),
         Outcome::wrongDirection,
         Route::fromTavlen},
        {"status from Tavlen", writeJson(sample("status")), Outcome::wrongDirection, Route::fromTavlen},
        {"ping from either side", writeJson(sample("ping")), Outcome::accepted, Route::fromChrome},
        {"snapshot without a page tree",
         edited("response with snapshot", [](auto& m) { snapshotOf(m).erase("pageTree"); }),
         Outcome::invalidMessage},
        {"capture time without milliseconds",
         edited("response with snapshot", [](auto& m) { snapshotOf(m)["capturedAt"] = "2026-03-01T10:00:00Z"; }),
         Outcome::invalidMessage},
        {"status with a boolean for a number",
         edited("status", [](auto& m) { m["status"]["operationsRemaining"] = true; }),
         Outcome::invalidMessage},
        {"frame above resultBytes",
         std::string(static_cast<std::size_t>(validator.limits().resultBytes) + 1, ' '),
         Outcome::invalidMessage},
        {"ping padded above requestBytes",
         sample("ping").dump() + std::string(static_cast<std::size_t>(validator.limits().requestBytes), ' '),
         Outcome::invalidMessage},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(outcomeOf([&] { receive(validator, row.frame, row.route); }), row.expected);
    }
}

TEST(BrowserWireValidator, sizeLimitsCountBytesAndSpareResponses)
{
    const BrowserWireValidator real = BrowserWireValidator::load();
    const std::string ping = writeJson(sample("ping"));
    const std::string response = writeJson(sample("idle response without execution"));
    const auto size = static_cast<std::int64_t>(ping.size());
    const auto limited = [&](std::int64_t requestBytes, std::int64_t resultBytes) {
        return BrowserWireValidator(
            real.schema(), BrowserLimits{requestBytes, resultBytes, 1 << 20, 1, 1, 20}, real.protocolVersion());
    };
    EXPECT_EQ(outcomeOf([&] { limited(size, size).decode(ping); }), Outcome::accepted);
    EXPECT_EQ(outcomeOf([&] { limited(size, size - 1).decode(ping); }), Outcome::invalidMessage);
    EXPECT_EQ(outcomeOf([&] { limited(size - 1, size).decode(ping); }), Outcome::invalidMessage);
    const auto responseSize = static_cast<std::int64_t>(response.size());
    EXPECT_EQ(outcomeOf([&] { limited(1, responseSize).decode(response); }), Outcome::accepted);
}

TEST(BrowserWireValidator, welcomeCarriesEveryVersionTavlenAnnounces)
{
    const BrowserWireValidator validator = BrowserWireValidator::load();
    const std::string longVersion = "1.2.3-" + std::string(300, 'a');
    ASSERT_EQ(announcedAppVersion(&longVersion), longVersion);
    const BrowserMessage welcome{BrowserMessage::Welcome{test::connectionID, longVersion, true}};
    EXPECT_EQ(outcomeOf([&] { validator.decode(welcome.encodedBytes(validator.protocolVersion())); }),
              Outcome::accepted);
}

TEST(BrowserWireValidator, pageTreeCheckAsksOnlyThatDefsAndPageTreeBeObjects)
{
    const auto checks = [](const nlohmann::json& schema) {
        const BrowserWireValidator validator(schema, BrowserLimits{1, 1 << 20, 1, 1, 1, 1}, 1);
        return outcomeOf([&] { validator.checkPageTree(test::samplePageTree()); });
    };
    // Another definition that is not an object leaves "pageTree" usable (references elsewhere then refuse).
    EXPECT_EQ(checks({{"$defs", {{"note", "a text"}, {"pageTree", nlohmann::json::object()}}}}), Outcome::accepted);
    EXPECT_EQ(checks({{"$defs", {{"note", 7}, {"pageTree", {{"type", "object"}}}}}}), Outcome::invalidMessage);
    EXPECT_EQ(checks({{"$defs", {{"pageTree", "a text"}}}}), Outcome::invalidMessage);
    EXPECT_EQ(checks({{"$defs", nlohmann::json::array({nlohmann::json::object()})}}), Outcome::invalidMessage);
}

TEST(BrowserWireValidator, schemaRefusedByTheValidatorItWasLoadedFrom)
{
    // A schema without "$defs" refuses every reference, so every message, and every page tree.
    const BrowserWireValidator bare(
        nlohmann::json{{"oneOf", {{{"$ref", "#/$defs/ping"}}}}}, BrowserLimits{1, 1 << 20, 1, 1, 1, 1}, 1);
    EXPECT_EQ(outcomeOf([&] { bare.decode(writeJson(sample("ping"))); }), Outcome::invalidMessage);
    EXPECT_EQ(outcomeOf([&] { bare.checkPageTree(test::samplePageTree()); }), Outcome::invalidMessage);
}

// A frame is refused before it is parsed when it holds more structure than any message can ("[", "{", "," and ":"
// outside strings); what lies in strings, and the densest structure a page tree within its cap holds, do not count.
TEST(BrowserWireValidator, structureBeyondAnyMessageIsRefused)
{
    const BrowserWireValidator validator = BrowserWireValidator::load();
    const std::string snapshot = writeJson(sample("response with snapshot"));
    // The same key given again and again: each repetition is structure, and the last value is what counts.
    const auto repeatedVersion = [&](std::size_t times) {
        std::string frame = "{";
        frame.reserve(snapshot.size() + times * 6);
        for (std::size_t i = 0; i < times; ++i) {
            frame += "\"v\":1,";
        }
        return frame + snapshot.substr(1);
    };
    std::string empties = "[{}";
    while (empties.size() < 8'000'000) {
        empties += ",{}";
    }
    const std::string treeId = test::samplePageTree().nodes.at(0).id;

    const struct
    {
        const char* name;
        std::string frame;
        Outcome expected;
    } rows[] = {
        {"a key repeated a thousand times", repeatedVersion(1000), Outcome::accepted},
        {"a key repeated past any message's structure", repeatedVersion(1'600'000), Outcome::invalidMessage},
        {"eight megabytes of empty objects", empties + "]", Outcome::invalidMessage},
        {"a page text of four million commas",
         edited("response with snapshot", [](auto& m) { treeOf(m)["nodes"][0]["text"] = std::string(4'000'000, ','); }),
         Outcome::accepted},
        {"table headers naming one node over and over, near the tree's cap",
         edited(
             "response with snapshot",
             [&](auto& m) {
                 auto& node = treeOf(m)["nodes"][0];
                 node["structure"] = {{"headers", std::vector<std::string>(4'000'000 / (treeId.size() + 3), treeId)}};
             }),
         Outcome::accepted},
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(outcomeOf([&] { validator.decode(row.frame); }), row.expected);
    }
}

// The message's check walks a snapshot's tree against "pageTree"; the tree's own check trusts that walk, and walks the
// tree itself when the message's schema reached it some other way.
TEST(BrowserWireValidator, pageTreeIsHeldAgainstItsDefinitionWhicheverWayTheMessageReachesIt)
{
    const BrowserWireValidator real = BrowserWireValidator::load();
    nlohmann::json refusingTrees = real.schema();
    refusingTrees["$defs"]["pageTree"]["properties"]["status"] = {{"type", "null"}};
    nlohmann::json bypassing = refusingTrees;
    bypassing["$defs"]["browserSnapshot"]["properties"]["pageTree"] = nlohmann::json::object();
    const std::string frame = writeJson(sample("response with snapshot"));
    const auto outcome = [&](const nlohmann::json& schema) {
        return outcomeOf([&] { BrowserWireValidator(schema, real.limits(), real.protocolVersion()).decode(frame); });
    };
    EXPECT_EQ(outcome(real.schema()), Outcome::accepted);
    EXPECT_EQ(outcome(refusingTrees), Outcome::invalidMessage);
    EXPECT_EQ(outcome(bypassing), Outcome::invalidMessage);
}

} // namespace
} // namespace tavlen
