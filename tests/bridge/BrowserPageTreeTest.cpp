#include "BrowserPageTree.h"

#include "BridgeFailure.h"
#include "JsonParse.h"
#include "JsonWriter.h"
#include "ParsedJson.h"
#include "WireCoding.h"
#include "WireSamples.h"

#include <gtest/gtest.h>

#include <functional>

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
