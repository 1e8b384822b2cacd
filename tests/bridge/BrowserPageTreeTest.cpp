#include "BrowserPageTree.h"

#include "BridgeFailure.h"
#include "BrowserWireValidator.h"
#include "JsonParse.h"
#include "JsonWriter.h"
#include "ParsedJson.h"
#include "WireCoding.h"
#include "WireSamples.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <stdexcept>

namespace tavlen {
namespace {

using Tree = BrowserPageTree;

// The encoding whose length the page-tree check computes: sorted keys, slashes not escaped.
std::string sortedJSON(const Tree& tree)
{
    return writeJson(tree.encode(), {.escapeSlashes = false});
}

Tree::Received decodedFrom(const nlohmann::json& tree)
{
    const test::ParsedJson parsed(writeJson(tree));
    return Tree::decode(parsed.value());
}

bool passes(const Tree& tree, const std::string& snapshotID = "snapshot-1")
{
    try {
        tree.validate(snapshotID);
        return true;
    } catch (const BridgeFailure& failure) {
        EXPECT_EQ(failure, BridgeFailure::invalidMessage());
        return false;
    }
}

TEST(BrowserPageTree, validateAppliesEachRule)
{
    struct Row
    {
        const char* name;
        std::function<void(Tree&)> edit;
        bool passes;
    };

    const std::vector<Row> rows = {
        {"the sample", [](Tree&) {}, true},
        {"another snapshot id", [](Tree& t) { t.snapshotId = "snapshot-2"; }, false},
        {"finished before started", [](Tree& t) { t.finishedAt = "2026-03-01T09:59:59.999Z"; }, false},
        {"finished when started", [](Tree& t) { t.finishedAt = t.startedAt; }, true},
        {"complete with a reason", [](Tree& t) { t.reasons = {"timeout"}; }, false},
        {"partial without reasons", [](Tree& t) { t.status = "partial"; }, false},
        {"partial with a reason", [](Tree& t) { t.status = "partial", t.reasons = {"timeout"}; }, true},
        {"unavailable with a node", [](Tree& t) { t.status = "unavailable", t.reasons = {"blocked"}; }, false},
        {"unavailable without nodes",
         [](Tree& t) { t.status = "unavailable", t.reasons = {"blocked"}, t.nodes.clear(); },
         true},
        {"duplicate id", [](Tree& t) { t.nodes[2].id = "n2"; }, false},
        {"ids equal up to composition",
         [](Tree& t) {
             t.nodes[1].id = "\xC3\xA9", t.nodes[2].id = "e\xCC\x81"; // é composed, then decomposed
             t.nodes[0].children = {"\xC3\xA9"};
             t.nodes[1].structure->headers = {"n1"};
         },
         false},
        {"child and header named in another composition",
         [](Tree& t) {
             t.nodes[2].id = "\xC3\xA9";
             t.nodes[0].children = {"n2", "e\xCC\x81"};
             t.nodes[1].structure->headers = {"n1", "e\xCC\x81"};
         },
         true},
        {"one child listed in two compositions",
         [](Tree& t) {
             t.nodes[2].id = "\xC3\xA9";
             t.nodes[0].children = {"n2", "e\xCC\x81", "\xC3\xA9"};
             t.nodes[1].structure->headers = {"n1"};
         },
         false},
        {"node listing itself", [](Tree& t) { t.nodes[2].children = {"n3"}; }, false},
        {"node listing an earlier node", [](Tree& t) { t.nodes[1].children = {"n1"}; }, false},
        {"unknown child", [](Tree& t) { t.nodes[1].children = {"n9"}; }, false},
        {"two parents of one child", [](Tree& t) { t.nodes[1].children = {"n3"}; }, false},
        {"one child listed twice",
         [](Tree& t) {
             t.nodes[0].children = {"n2", "n2"};
         },
         false},
        {"header pointing to an earlier node", [](Tree& t) { t.nodes[1].structure->headers = {"n1"}; }, true},
        {"header pointing nowhere", [](Tree& t) { t.nodes[1].structure->headers = {"n9"}; }, false},
        {"fragment at the end of the text",
         [](Tree& t) {
             t.nodes[1].fragments[0] = {13, 0, {}};
         },
         true},
        {"fragment beyond the text",
         [](Tree& t) {
             t.nodes[1].fragments[0] = {12, 2, {}};
         },
         false},
        {"fragment of a node without text",
         [](Tree& t) {
             t.nodes[2].fragments = {{1, 0, {}}};
         },
         false},
        {"fragment starting inside the emoji",
         [](Tree& t) {
             t.nodes[1].fragments[0] = {7, 1, {}};
         },
         false},
        {"fragment ending inside the emoji",
         [](Tree& t) {
             t.nodes[1].fragments[0] = {5, 2, {}};
         },
         false},
        {"fragment covering the emoji",
         [](Tree& t) {
             t.nodes[1].fragments[0] = {5, 3, {}};
         },
         true},
        {"negative fragment length",
         [](Tree& t) {
             t.nodes[1].fragments[0] = {3, -1, {}};
         },
         false},
        {"start time without milliseconds", [](Tree& t) { t.startedAt = "2026-03-01T10:00:00Z"; }, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Tree tree = test::samplePageTree();
        row.edit(tree);
        EXPECT_EQ(passes(tree), row.passes);
    }
}

// A screenshot's tree is checked where it lies, read as the JSON its encoder would write: the schema must see it
// exactly as it sees the same tree received in a frame.
TEST(BrowserPageTree, schemaReadsATreeInMemoryAsItReadsTheSameTreeReceived)
{
    const BrowserWireValidator validator = BrowserWireValidator::load();
    const WireSchema& schema = validator.wireSchema();
    ASSERT_NE(schema.pageTree(), nullptr);

    struct Row
    {
        const char* name;
        std::function<void(Tree&)> edit;
        bool accepted;
    };

    const std::vector<Row> rows = {
        {"the sample", [](Tree&) {}, true},
        {"a node of an empty kind", [](Tree& t) { t.nodes[0].kind = ""; }, false},
        {"a negative fragment start", [](Tree& t) { t.nodes[1].fragments[0].start = -1; }, false},
        {"a start time without milliseconds", [](Tree& t) { t.startedAt = "2026-03-01T10:00:00Z"; }, false},
        {"65 reasons", [](Tree& t) { t.reasons.assign(65, "timeout"); }, false},
        {"an empty reason", [](Tree& t) { t.reasons = {""}; }, false},
        {"a node without a box or clip",
         [](Tree& t) { t.nodes[1].bounds.reset(), t.nodes[1].visibility.clip.reset(); },
         true},
        {"a negative structure level", [](Tree& t) { t.nodes[1].structure->level = -1; }, false},
        {"empty states and structure",
         [](Tree& t) {
             t.nodes[1].states = BrowserPageTree::States{}, t.nodes[1].structure = BrowserPageTree::Structure{};
         },
         true},
        {"a header id of 257 characters",
         [](Tree& t) { t.nodes[1].structure->headers = std::vector<std::string>{std::string(257, 'h')}; },
         false},
        {"a role of 257 characters", [](Tree& t) { t.nodes[0].role = std::string(257, 'r'); }, false},
        {"a long text", [](Tree& t) { t.nodes[2].text = std::string(100'000, 't'); }, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Tree tree = test::samplePageTree();
        row.edit(tree);
        const test::ParsedJson received(writeJson(tree.encode()));
        EXPECT_EQ(schema.accepts(received.value(), *schema.pageTree()), row.accepted) << "received";
        EXPECT_EQ(schema.accepts(tree, *schema.pageTree()), row.accepted) << "in memory";
    }
}

TEST(BrowserPageTree, encodingOverFourMebibytesIsRefusedWhateverItHolds)
{
    Tree tree = test::samplePageTree();
    tree.nodes[2].text = "";
    const std::size_t base = sortedJSON(tree).size();
    tree.nodes[2].text = std::string(4'194'304 - base, 'a');
    ASSERT_EQ(sortedJSON(tree).size(), 4'194'304u);
    EXPECT_TRUE(passes(tree));
    *tree.nodes[2].text += "a";
    EXPECT_FALSE(passes(tree));
}

TEST(BrowserPageTree, sortedLengthIsComputedByTheWritersOwnRules)
{
    struct Row
    {
        const char* name;
        std::function<void(Tree&)> edit;
    };

    const std::vector<Row> rows = {
        {"the sample", [](Tree&) {}},
        {"every escape the writer makes",
         [](Tree& t) { t.nodes[0].name = std::string("\"\\/\b\f\n\r\t") + std::string(1, '\0') + "\x01\x1F\x7F"; }},
        {"non-ASCII text of every width", [](Tree& t) { t.nodes[2].text = "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"; }},
        {"numbers the writer spells in full or with an exponent",
         [](Tree& t) {
             t.nodes[0].bounds = BrowserRect{-0.0, 0.1, 1e16, 123456789012345678.0};
             t.nodes[1].fragments[0].bounds = BrowserRect{1e17, 5e-324, 1.7976931348623157e308, -1e-7};
             t.nodes[1].visibility.clip = BrowserRect{-1e21, 2.5, 1e100, 3};
         }},
        {"integers at both ends",
         [](Tree& t) {
             t.nodes[1].structure =
                 BrowserPageTree::Structure{INT64_MIN, INT64_MAX, 0, -1, 10, std::vector<std::string>{}};
         }},
        {"no nodes, reasons, states or structure",
         [](Tree& t) {
             t.nodes.clear();
             t.status = "unavailable";
             t.reasons = {"blocked", ""};
         }},
        {"one node", [](Tree& t) { t.nodes.resize(1); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Tree tree = test::samplePageTree();
        row.edit(tree);
        EXPECT_EQ(tree.sortedJSONLength(), sortedJSON(tree).size());
    }

    // What the writer refuses, the length refuses alike.
    Tree invalidText = test::samplePageTree();
    invalidText.nodes[0].role = "\xFF";
    EXPECT_THROW(invalidText.sortedJSONLength(), std::invalid_argument);
    Tree notFinite = test::samplePageTree();
    notFinite.nodes[0].bounds->x = std::numeric_limits<double>::infinity();
    EXPECT_THROW(notFinite.sortedJSONLength(), std::invalid_argument);
}

TEST(BrowserPageTree, aTreeOverTheCapIsDecodedToTheEndWithoutKeepingItsNodes)
{
    // 3,000 nodes of about 1,700 bytes each: some 5 MB encoded.
    constexpr int count = 3'000;
    const auto treeText = [](const std::string& lastKind) {
        std::string text =
            R"({"snapshotId":"s","startedAt":"a","finishedAt":"b","status":"complete","reasons":[],"nodes":[)";
        for (int i = 0; i < count; ++i) {
            text += i > 0 ? "," : "";
            text += R"({"id":"n)" + std::to_string(i) + R"(","children":[],"kind":)" +
                    (i + 1 == count ? lastKind : std::string(R"("text")")) +
                    R"(,"frameId":"main","fragments":[],"visibility":{"rendered":true,"cssVisible":true,)"
                    R"("clipping":"none","occlusion":"none"},"source":"dom","text":")" +
                    std::string(1'500, 'x') + R"("})";
        }
        return text + "]}";
    };
    const test::ParsedJson hostile(treeText(R"("text")"));
    const Tree::Received received = Tree::decode(hostile.value());
    EXPECT_GT(received.sortedJSONLength, Tree::maximumEncodedBytes);
    EXPECT_LT(received.tree.nodes.size(), std::size_t(count)) << "nodes past the cap are not kept";
    EXPECT_GT(received.tree.nodes.size(), std::size_t(count / 2));

    // A decoding failure in the last node is still found: it comes before the cap's refusal.
    const test::ParsedJson mistyped(treeText("7"));
    EXPECT_THROW(Tree::decode(mistyped.value()), WireDecodingError);
}

TEST(BrowserPageTree, writesAbsentMembersAsNullOrNotAtAll)
{
    const Tree tree = test::samplePageTree();
    const nlohmann::json bare = tree.encode()["nodes"][2];
    EXPECT_TRUE(bare.at("bounds").is_null());
    EXPECT_TRUE(bare.at("visibility").at("clip").is_null());
    for (const char* key : {"role", "text", "name", "description", "nameSource", "value", "structure"}) {
        EXPECT_FALSE(bare.contains(key)) << key;
    }
    EXPECT_EQ(bare.at("states"), nlohmann::json::object());
    EXPECT_EQ(decodedFrom(tree.encode()).tree, tree);
    EXPECT_EQ(sortedJSON(tree).find("\\/"), std::string::npos) << "slashes are not escaped";
    EXPECT_NE(sortedJSON(tree).find("Prices / week"), std::string::npos);

    Tree moved = tree;
    moved.nodes[1].fragments[0].bounds.x += 1;
    EXPECT_NE(moved, tree);
}

TEST(BrowserPageTree, decodingRefusesMissingListsAndMistypedMembers)
{
    const auto refuses = [](const std::function<void(nlohmann::json&)>& edit) {
        nlohmann::json tree = test::samplePageTree().encode();
        edit(tree);
        try {
            decodedFrom(tree);
            return false;
        } catch (const WireDecodingError&) {
            return true;
        }
    };
    EXPECT_TRUE(refuses([](auto& t) { t.erase("reasons"); }));
    EXPECT_TRUE(refuses([](auto& t) { t.erase("nodes"); }));
    EXPECT_TRUE(refuses([](auto& t) { t["nodes"][1]["fragments"][0].erase("bounds"); }));
    EXPECT_TRUE(refuses([](auto& t) { t["nodes"][1]["states"]["checked"] = true; }));
    EXPECT_FALSE(refuses([](auto& t) { t["nodes"][1].erase("bounds"); }));
    EXPECT_FALSE(refuses([](auto& t) { t["nodes"][1]["states"]["checked"] = "true"; }));
}

} // namespace
} // namespace tavlen
