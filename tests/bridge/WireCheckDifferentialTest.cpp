// The wire check that parses frames in place against the one it replaced (ReferenceWireCheck.h): for every frame of
// the corpus and of a generated set aimed at where two JSON readers part ways, both give the same verdict with the
// same sentence, and the same message when they accept.

#include "Base64.h"
#include "BridgeFailure.h"
#include "BrowserWireReader.h"
#include "BrowserWireValidator.h"
#include "JsonWriter.h"
#include "ReferenceWireCheck.h"
#include "WireCoding.h"
#include "WireSamples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>

namespace tavlen {
namespace {

namespace fs = std::filesystem;

struct Frame
{
    std::string name;
    std::string bytes;
    std::optional<bool> accepted{}; // where the outcome itself is the point of the case
};

// What a check made of a frame: the message it accepted (as its encoding, so texts compare by their bytes), or the
// kind of failure with its sentence and code.
std::string verdictOf(const std::function<BrowserMessage()>& check)
{
    try {
        return "accepted " + writeJson(check().encode(1));
    } catch (const BridgeFailure& failure) {
        return "BridgeFailure \"" + failure.message() + "\" code " + failure.code().value_or("none");
    } catch (const WireDecodingError& error) {
        return std::string("WireDecodingError \"") + error.what() + "\"";
    } catch (const std::exception& error) {
        return std::string("other failure \"") + error.what() + "\"";
    }
}

std::string bytesOf(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

std::vector<Frame> corpus()
{
    std::vector<Frame> frames;
    for (const char* folder : {"valid", "invalid"}) {
        for (const auto& entry : fs::directory_iterator(fs::path(TAVLEN_TEST_DATA_DIR) / folder)) {
            frames.push_back({std::string(folder) + "/" + entry.path().filename().string(), bytesOf(entry.path())});
        }
    }
    std::sort(frames.begin(), frames.end(), [](const Frame& a, const Frame& b) { return a.name < b.name; });
    return frames;
}

std::string sample(const std::string& name)
{
    for (const auto& message : test::sampleMessages()) {
        if (message.name == name) {
            return writeJson(message.message.encode(1));
        }
    }
    ADD_FAILURE() << "no sample " << name;
    return {};
}

// The frame with the first `from` replaced; the sample frames are written with sorted keys, so each edit names a
// spot that is there.
std::string replaced(std::string frame, std::string_view from, std::string_view to)
{
    const auto at = frame.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) {
        frame.replace(at, from.size(), to);
    }
    return frame;
}

std::string nested(int depth, const std::string& inside = "")
{
    return std::string(static_cast<std::size_t>(depth), '[') + inside +
           std::string(static_cast<std::size_t>(depth), ']');
}

// A response whose page tree carries every kind of text and number the writer spells in its own way, its last
// node's text grown until the tree's sorted encoding is `target` bytes long.
std::string treeOfEncodedSize(std::size_t target)
{
    BrowserSnapshot snapshot = test::sampleSnapshot();
    BrowserPageTree& tree = snapshot.pageTree;
    auto& cell = tree.nodes[1];
    cell.name = std::string("tab\there, quote \" backslash \\ slash / bell \x07 nul ") + std::string(1, '\0') +
                " del \x7F \xC3\xA9 \xF0\x9F\x98\x80";
    cell.bounds = BrowserRect{-0.5, 0.1, 1e17, 123456789.123};
    cell.fragments[0].bounds = BrowserRect{1e21, -1e-7, 5e-324, 1.7976931348623157e308};
    cell.structure->level = 9223372036854775807;
    tree.nodes[2].text = "";
    const auto sizeOf = [&] { return writeJson(tree.encode(), {.escapeSlashes = false}).size(); };
    const std::size_t base = sizeOf();
    // Each "\x01" is written as six bytes.
    const std::size_t room = target - base;
    tree.nodes[2].text = std::string(room / 6, '\x01') + std::string(room % 6, 'a');
    EXPECT_EQ(sizeOf(), target);
    BrowserResponse response{test::requestID, test::sampleStatus(), true, std::move(snapshot), std::nullopt};
    return writeJson(
        BrowserMessage{BrowserMessage::Response{test::connectionID, test::executionID, std::move(response)}}.encode(1));
}

std::vector<Frame> generated()
{
    const std::string ping = sample("ping");
    const std::string status = sample("status");
    const std::string hello = sample("hello");
    const std::string request = sample("start request with viewport");
    const std::string snapshot = sample("response with snapshot");
    const std::string image = base64Encode(test::pngBytes(16, 12));
    // The image with its slashes and its first letter written as escapes: the same text once read.
    std::string escapedImage;
    for (const char c : image) {
        escapedImage += c == '/' ? std::string("\\/") : std::string(1, c);
    }
    escapedImage.replace(0, 1, "\\u0069");

    std::vector<Frame> frames = {
        // Keys given twice: the last value counts, wherever it is.
        {"version twice, the last right", replaced(ping, R"({"connectionId")", R"({"v":2,"connectionId")"), true},
        {"version twice, the last wrong", replaced(ping, R"("v":1})", R"("v":1,"v":2})"), false},
        {"type twice", replaced(ping, R"("type":"ping")", R"("type":"pong","type":"ping")")},
        {"type twice, an unknown one last", replaced(ping, R"("type":"ping")", R"("type":"ping","type":"shout")")},
        {"connection id twice, a bad one first",
         replaced(ping, R"({"connectionId")", R"({"connectionId":"not a UUID","connectionId")")},
        {"status member twice", replaced(status, R"("busy":true)", R"("busy":"yes","busy":true)")},
        {"status member twice, a wrong type last", replaced(status, R"("busy":true)", R"("busy":true,"busy":"yes")")},
        {"optional member twice, null last",
         replaced(status, R"("sessionId":"session-17")", R"("sessionId":"session-17","sessionId":null)")},
        {"image twice, the valid one last",
         replaced(snapshot, R"("imageBase64":")", R"("imageBase64":"!!!!","imageBase64":")")},
        {"image twice, a JPEG last",
         replaced(snapshot,
                  R"("imageHeight")",
                  R"("imageBase64":"/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAgGBgcGBQgHBwc=","imageHeight")")},
        {"node id twice, making it a duplicate", replaced(snapshot, R"("id":"n3")", R"("id":"n3","id":"n2")")},
        {"children twice",
         replaced(snapshot, R"("children":["n2","n3"])", R"("children":["n3","n2"],"children":["n2","n3"])")},
        {"version given a hundred times (an object of many keys)",
         [&] {
             std::string many;
             for (int i = 0; i < 100; ++i) {
                 many += R"("v":)" + std::to_string(i % 3) + ",";
             }
             return replaced(ping, R"({"connectionId")", "{" + many + R"("connectionId")");
         }()},
        {"an undeclared key a hundred times, in a message every alternative walks",
         [&] {
             std::string many;
             for (int i = 0; i < 100; ++i) {
                 many += R"("extra":)" + std::to_string(i) + ",";
             }
             return replaced(ping, R"({"connectionId")", "{" + many + R"("connectionId")");
         }()},
        {"a status member a hundred times, wrong types hidden by a right one last",
         [&] {
             std::string many;
             for (int i = 0; i < 100; ++i) {
                 many += i % 2 == 0 ? R"("busy":"yes",)" : R"("busy":7,)";
             }
             return replaced(status, R"("busy":true)", many + R"("busy":true)");
         }()},
        // Numbers at and beyond the edges of 64 bits, and of doubles.
        {"sequence 2^53 - 1", replaced(request, R"("sequence":2)", R"("sequence":9007199254740991)")},
        {"sequence 2^63 - 1", replaced(request, R"("sequence":2)", R"("sequence":9223372036854775807)")},
        {"sequence 2^64 - 1", replaced(request, R"("sequence":2)", R"("sequence":18446744073709551615)")},
        {"sequence 2^64", replaced(request, R"("sequence":2)", R"("sequence":18446744073709551616)")},
        {"expiry of twenty-one digits reads as a double",
         replaced(status, R"("expiresAt":1772359200.5)", R"("expiresAt":100000000000000000000)"),
         true},
        {"sequence of thirty digits",
         replaced(request, R"("sequence":2)", R"("sequence":100000000000000000000000000000)")},
        {"sequence 1e300", replaced(request, R"("sequence":2)", R"("sequence":1e300)")},
        {"sequence as 2.0", replaced(request, R"("sequence":2)", R"("sequence":2.0)")},
        {"sequence as 20e-1", replaced(request, R"("sequence":2)", R"("sequence":20e-1)")},
        {"sequence -0", replaced(request, R"("sequence":2)", R"("sequence":-0)")},
        {"version -0.0", replaced(ping, R"("v":1)", R"("v":-0.0)")},
        {"version 1.0", replaced(ping, R"("v":1)", R"("v":1.0)")},
        {"version 1e0", replaced(ping, R"("v":1)", R"("v":1e0)")},
        {"version 2^64 + 1", replaced(ping, R"("v":1)", R"("v":18446744073709551617)")},
        {"version below -2^63", replaced(ping, R"("v":1)", R"("v":-9223372036854775809)")},
        {"operations remaining 1e19", replaced(status, R"("operationsRemaining":19)", R"("operationsRemaining":1e19)")},
        {"operations remaining 10^20 in digits",
         replaced(status, R"("operationsRemaining":19)", R"("operationsRemaining":100000000000000000000)")},
        {"expiry beyond a double", replaced(status, R"("expiresAt":1772359200.5)", R"("expiresAt":1e309)")},
        {"expiry just below overflow",
         replaced(status, R"("expiresAt":1772359200.5)", R"("expiresAt":1.7976931348623157e308)")},
        {"expiry rounding to infinity",
         replaced(status, R"("expiresAt":1772359200.5)", R"("expiresAt":1.7976931348623159e308)")},
        {"expiry underflowing to zero", replaced(status, R"("expiresAt":1772359200.5)", R"("expiresAt":1e-400)")},
        {"expiry of zero with a vast exponent",
         replaced(status, R"("expiresAt":1772359200.5)", R"("expiresAt":0e999999)")},
        {"expiry with forty digits",
         replaced(status, R"("expiresAt":1772359200.5)", R"("expiresAt":1234567890123456789012345678901234567890.5)")},
        {"expiry with a leading zero", replaced(status, R"("expiresAt":1772359200.5)", R"("expiresAt":01)")},
        {"image width 1e19", replaced(snapshot, R"("imageWidth":16)", R"("imageWidth":1e19)")},
        {"image width 16.0", replaced(snapshot, R"("imageWidth":16)", R"("imageWidth":16.0)")},
        {"fragment start of thirty digits",
         replaced(snapshot, R"("start":0)", R"("start":100000000000000000000000000000)")},
        {"rectangle coordinate -0",
         replaced(snapshot,
                  R"("contentRect":{"height":6,"width":8,"x":0)",
                  R"("contentRect":{"height":6,"width":8,"x":-0)")},
        // Nesting around the bound of 64 levels.
        {"64 nested arrays", nested(64)},
        {"65 nested arrays", nested(65)},
        {"brackets inside a string do not nest", nested(2, "\"" + std::string(100, '[') + "\"")},
        {"64 levels inside a message",
         replaced(ping, R"({"connectionId")", R"({"extra":)" + nested(63) + R"(,"connectionId")")},
        {"65 levels inside a message",
         replaced(ping, R"({"connectionId")", R"({"extra":)" + nested(64) + R"(,"connectionId")")},
        // Escapes in base64, where the image is checked in place.
        {"image with escaped slashes and letter", replaced(snapshot, image, escapedImage)},
        {"image with an escaped line break", replaced(snapshot, image, image.substr(0, 40) + "\\n" + image.substr(40))},
        {"image with an escaped padding sign",
         replaced(snapshot, image, image.substr(0, image.size() - 1) + "\\u003d")},
        // Bytes that are not UTF-8, inside strings and keys.
        {"name with a byte 0xFF", replaced(hello, R"("profileName":"Work")", "\"profileName\":\"W\xFFrk\"")},
        {"name with an overlong NUL", replaced(hello, R"("profileName":"Work")", "\"profileName\":\"W\xC0\x80rk\"")},
        {"name with an encoded surrogate",
         replaced(hello, R"("profileName":"Work")", "\"profileName\":\"W\xED\xA0\x80rk\"")},
        {"name with a cut sequence", replaced(hello, R"("profileName":"Work")", "\"profileName\":\"Work\xE2\x82\"")},
        {"key with a byte 0xFE", replaced(hello, R"("profileName")", "\"profile\xFEName\"")},
        {"image with a byte 0x80", replaced(snapshot, image.substr(0, 8), "\x80" + image.substr(1, 7))},
        // Escaped surrogates.
        {"name with an escaped pair", replaced(hello, R"("profileName":"Work")", R"("profileName":"W\ud83d\ude00rk")")},
        {"name with a lone high surrogate", replaced(hello, R"("profileName":"Work")", R"("profileName":"W\ud83drk")")},
        {"name with a lone low surrogate", replaced(hello, R"("profileName":"Work")", R"("profileName":"W\ude00rk")")},
        {"name with a reversed pair", replaced(hello, R"("profileName":"Work")", R"("profileName":"W\ude00\ud83d")")},
        {"high surrogate before a plain escape",
         replaced(hello, R"("profileName":"Work")", R"("profileName":"\ud83d\u0041")")},
        {"node text with an escaped pair split by a fragment",
         replaced(replaced(snapshot, "Price \xF0\x9F\x98\x80", R"(Price \ud83d\ude00)"),
                  R"("length":5,)",
                  R"("length":7,)")},
        // Framing of the text itself.
        {"byte-order mark", "\xEF\xBB\xBF" + ping, true},
        {"surrounding white space", " \t\r\n" + ping + "\n "},
        {"form feed around", "\f" + ping},
        {"text after the message", ping + " {}"},
        {"two messages", ping + ping},
        {"empty", ""},
        {"only white space", "   "},
        {"a bare string", R"("ping")"},
        {"a bare number", "1"},
        {"null", "null"},
        {"NUL in a string", replaced(hello, R"("profileName":"Work")", R"("profileName":"W\u0000rk")")},
        {"raw control character in a string",
         replaced(hello, R"("profileName":"Work")", "\"profileName\":\"W\x01rk\"")},
        {"NaN", replaced(status, R"("expiresAt":1772359200.5)", R"("expiresAt":NaN)")},
        {"single quotes", "{'v':1}"},
        {"comment", "/**/" + ping},
        // The page-tree cap, computed now, on a tree of every kind of escape and number.
        {"tree encoding exactly 4 MiB", treeOfEncodedSize(4'194'304), true},
        {"tree encoding one byte over 4 MiB", treeOfEncodedSize(4'194'305), false},
    };
    return frames;
}

class WireCheckDifferential : public ::testing::Test
{
protected:
    // Both checks of one frame: held in memory (copied to be parsed) and read in place from a padded buffer, as a
    // channel reads it; and the host's check, which gives only the kind.
    void expectSameVerdicts(const Frame& frame)
    {
        SCOPED_TRACE(frame.name);
        std::string referenceKind = "refused";
        const std::string reference = verdictOf([&] {
            BrowserMessage message = reference::decode(m_validator.schema(), m_validator.limits(), frame.bytes);
            referenceKind = BrowserMessage::kindName(message.kind());
            return message;
        });
        EXPECT_EQ(verdictOf([&] { return m_validator.decode(frame.bytes); }), reference);

        BrowserFrame padded = BrowserFrame::withCapacity(frame.bytes.size(), nullptr);
        std::memcpy(padded.writableData(), frame.bytes.data(), frame.bytes.size());
        EXPECT_EQ(verdictOf([&] { return m_reader.decode(m_validator, padded); }), reference);
        std::string kind;
        try {
            kind = BrowserMessage::kindName(m_reader.check(m_validator, padded));
        } catch (const std::exception&) {
            kind = "refused";
        }
        EXPECT_EQ(kind, referenceKind) << "the host's check";
        if (frame.accepted) {
            EXPECT_EQ(reference.starts_with("accepted"), *frame.accepted) << reference.substr(0, 200);
        }
        if (reference.starts_with("accepted")) {
            ++m_accepted;
        } else {
            ++m_refused;
        }
    }

    const BrowserWireValidator m_validator = BrowserWireValidator::load();
    BrowserWireReader m_reader; // one reader for every frame, as a channel keeps it
    int m_accepted = 0;
    int m_refused = 0;
};

TEST_F(WireCheckDifferential, corpusFramesGetTheSameVerdictAndSentence)
{
    const auto frames = corpus();
    ASSERT_GE(frames.size(), 40u);
    for (const auto& frame : frames) {
        expectSameVerdicts(frame);
    }
    EXPECT_GE(m_accepted, 15);
    EXPECT_GE(m_refused, 25);
}

TEST_F(WireCheckDifferential, generatedFramesWhereReadersDifferGetTheSameVerdictAndSentence)
{
    for (const auto& frame : generated()) {
        expectSameVerdicts(frame);
    }
    // The set is only worth its name if it holds both outcomes in numbers.
    EXPECT_GE(m_accepted, 20);
    EXPECT_GE(m_refused, 30);
}

} // namespace
} // namespace tavlen
