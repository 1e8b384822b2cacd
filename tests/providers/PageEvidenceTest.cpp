#include "BoundedWait.h"
#include "MainBundle.h"
#include "PageEvidenceProjection.h"
#include "PageEvidenceSupport.h"
#include "Png.h"
#include "PreparedPageEvidence.h"
#include "ProviderText.h"
#include "ReadingFailure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>

namespace tavlen {
namespace {

using test::pageScreenshot;
using test::rectFrom;

nlohmann::json fixture(const std::string& name)
{
    std::ifstream file(std::string(TAVLEN_TEST_DATA_DIR) + "/" + name);
    return nlohmann::json::parse(file);
}

std::string failureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ReadingFailure& failure) {
        return failure.message();
    }
    return "(no failure)";
}

class PageEvidenceTest : public testing::Test
{
protected:
    void SetUp() override { overrideMainBundleDirectory(std::filesystem::path(TAVLEN_BUNDLE_DIR)); }

    void TearDown() override { overrideMainBundleDirectory(std::nullopt); }
};

TEST_F(PageEvidenceTest, aShopPageGivesTheRecordsOfItsRegionInDocumentOrder)
{
    const nlohmann::json page = fixture("evidence-shop-page.json");
    const auto screenshot =
        pageScreenshot(page["image"]["width"], page["image"]["height"], rectFrom(page["contentRect"]), page["nodes"]);
    const PreparedPageEvidence evidence = PreparedPageEvidence::make(*screenshot, rectFrom(page["region"]));

    EXPECT_EQ(nlohmann::json::parse(evidence.treeJSON), page["expected"]);
    // Keys sorted, compact, slashes and non-ASCII written as they are.
    EXPECT_EQ(evidence.treeJSON.rfind(R"({"nodes":[{"bounds":{"height":20,"width":160,"x":20,"y":10},"role":"heading",)"
                                      R"("structure":{"level":1},"text":"Spring / sale"},)",
                                      0),
              0u);
    EXPECT_NE(evidence.treeJSON.find(R"("text":"€ 19,99")"), std::string::npos);

    // The crop widened to whole pixels: (100, 50) to (500, 250), cut from the screenshot's own pixels.
    const RgbaImage crop = decodePng(evidence.png, 1'000'000);
    ASSERT_EQ(crop.width, 400u);
    ASSERT_EQ(crop.height, 200u);
    EXPECT_EQ(crop.pixels, cropImage(screenshot->image(), 100, 50, 400, 200).pixels);
}

TEST_F(PageEvidenceTest, prepareGivesTheSameEvidenceFromAnotherThreadAndPassesFailuresOn)
{
    const nlohmann::json page = fixture("evidence-shop-page.json");
    const auto screenshot =
        pageScreenshot(page["image"]["width"], page["image"]["height"], rectFrom(page["contentRect"]), page["nodes"]);
    const BrowserRect region = rectFrom(page["region"]);
    const PreparedPageEvidence direct = PreparedPageEvidence::make(*screenshot, region);
    const PreparedPageEvidence prepared = test::waitBounded(PreparedPageEvidence::prepare(screenshot, region));
    EXPECT_EQ(prepared.treeJSON, direct.treeJSON);
    EXPECT_EQ(prepared.png, direct.png);

    const std::string outside(provider_text::regionOutsideScreenshot);
    EXPECT_EQ(failureOf([&] {
                  test::waitBounded(PreparedPageEvidence::prepare(screenshot, {2000, 0, 10, 10}));
              }),
              outside);
}

TEST_F(PageEvidenceTest, theCropIsTheRegionClampedToTheImageAndWidenedToWholePixels)
{
    const auto screenshot = pageScreenshot(40, 30, {0, 0, 40, 30}, nlohmann::json::array());
    const double nan = std::nan("");
    const double infinity = std::numeric_limits<double>::infinity();

    struct Row
    {
        const char* name;
        BrowserRect region;
        std::optional<BrowserRect> crop; // nothing: the outside-the-screenshot failure
    };

    const Row rows[] = {
        {"inside, fractional", {10.4, 5, 10.2, 3.5}, BrowserRect{10, 5, 11, 4}},
        {"whole pixels", {0, 0, 40, 30}, BrowserRect{0, 0, 40, 30}},
        {"partly outside at the top left", {-5.5, -2, 10, 10}, BrowserRect{0, 0, 5, 8}},
        {"partly outside at the bottom right", {35.2, 25.9, 20, 20}, BrowserRect{35, 25, 5, 5}},
        {"drawn from its far corner", {20, 20, -10, -10}, BrowserRect{10, 10, 10, 10}},
        {"entirely outside", {41, 0, 10, 10}, std::nullopt},
        {"less than a pixel wide after clamping", {39.5, 0, 10, 10}, std::nullopt},
        {"less than a pixel high", {0, 0, 10, 0.5}, std::nullopt},
        {"a NaN origin", {nan, 0, 10, 10}, std::nullopt},
        {"an infinite width", {0, 0, infinity, 10}, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.crop) {
            EXPECT_EQ(PreparedPageEvidence::cropRect(*screenshot, row.region), *row.crop);
            const RgbaImage png = decodePng(PreparedPageEvidence::croppedPNG(*screenshot, row.region), 10'000);
            EXPECT_EQ(png.width, row.crop->width);
            EXPECT_EQ(png.height, row.crop->height);
        } else {
            EXPECT_EQ(failureOf([&] { PreparedPageEvidence::cropRect(*screenshot, row.region); }),
                      provider_text::regionOutsideScreenshot);
            EXPECT_EQ(failureOf([&] { PreparedPageEvidence::make(*screenshot, row.region); }),
                      provider_text::regionOutsideScreenshot);
        }
    }
}

TEST_F(PageEvidenceTest, aTreeWithNothingInTheCropGivesNoNodes)
{
    const nlohmann::json outside = nlohmann::json::array({
        {{"id", "far"},
         {"role", "link"},
         {"text", "Far away"},
         {"bounds", {{"x", 300}, {"y", 300}, {"width", 10}, {"height", 10}}}},
        {{"id", "hidden"},
         {"role", "link"},
         {"text", "Hidden"},
         {"bounds", {{"x", 1}, {"y", 1}, {"width", 10}, {"height", 10}}},
         {"visibility", {{"rendered", false}}}},
        {{"id", "touching"}, {"role", "link"}, {"bounds", {{"x", 20}, {"y", 0}, {"width", 10}, {"height", 10}}}},
    });
    for (const nlohmann::json& nodes : {nlohmann::json::array(), outside}) {
        const auto screenshot = pageScreenshot(40, 30, {0, 0, 40, 30}, nodes);
        EXPECT_EQ(PreparedPageEvidence::make(*screenshot, {0, 0, 20, 20}).treeJSON, R"({"nodes":[]})");
    }
}

// 5,000 nodes: a document holding 999 regions of four lines each, then four lines of its own. Every line lies
// in the crop with the same box, so each record's size is known and the cut can be worked out here.
nlohmann::json longPage()
{
    nlohmann::json nodes = nlohmann::json::array();
    nlohmann::json document = {{"id", "doc"}, {"kind", "document"}, {"children", nlohmann::json::array()}};
    nodes.push_back(document);
    int line = 0;
    const auto addLine = [&](nlohmann::json& parent) {
        char id[16];
        std::snprintf(id, sizeof id, "p%05d", ++line);
        char text[32];
        std::snprintf(text, sizeof text, "Line %05d  abc", line); // collapsed to "Line 00001 abc"
        parent["children"].push_back(id);
        nodes.push_back({{"id", id},
                         {"role", "paragraph"},
                         {"text", text},
                         {"bounds", {{"x", 60}, {"y", 30}, {"width", 20}, {"height", 8}}},
                         {"fragments",
                          {{{"start", 0},
                            {"length", std::string(text).size()},
                            {"bounds", {{"x", 60}, {"y", 30}, {"width", 20}, {"height", 8}}}}}}});
    };
    for (int region = 1; region <= 999; ++region) {
        char id[16];
        std::snprintf(id, sizeof id, "s%04d", region);
        nodes[0]["children"].push_back(id);
        nlohmann::json section = {{"id", id}, {"role", "region"}, {"children", nlohmann::json::array()}};
        const std::size_t at = nodes.size();
        nodes.push_back(section);
        for (int i = 0; i < 4; ++i) {
            addLine(nodes[at]);
        }
    }
    for (int i = 0; i < 4; ++i) {
        addLine(nodes[0]);
    }
    return nodes;
}

TEST_F(PageEvidenceTest, theBudgetEndsTheListAtTheLastRecordThatFitsAndDropsAncestorsLeftBehind)
{
    const nlohmann::json nodes = longPage();
    ASSERT_EQ(nodes.size(), 5000u);
    const auto screenshot = pageScreenshot(400, 200, {0, 0, 200, 100}, nodes);
    const std::string tree = PreparedPageEvidence::make(*screenshot, {100, 50, 200, 100}).treeJSON;

    // The records the projection makes before the budget, in order, and their sizes.
    const auto sectionRecord = [](int region) {
        char id[16];
        std::snprintf(id, sizeof id, "s%04d", region);
        return nlohmann::json{{"contextOnly", true}, {"id", id}, {"role", "region"}};
    };
    const auto lineRecord = [](int region, int line) {
        char parent[16];
        std::snprintf(parent, sizeof parent, "s%04d", region);
        char text[32];
        std::snprintf(text, sizeof text, "Line %05d abc", line);
        return nlohmann::json{
            {"bounds", {{"height", 16}, {"width", 40}, {"x", 20}, {"y", 10}}}, {"parent", parent}, {"text", text}};
    };
    std::vector<nlohmann::json> unbounded;
    for (int region = 1, line = 0; region <= 999; ++region) {
        unbounded.push_back(sectionRecord(region));
        for (int i = 0; i < 4; ++i) {
            unbounded.push_back(lineRecord(region, ++line));
        }
    }
    nlohmann::json expected = nlohmann::json::array();
    std::size_t size = std::string(R"({"nodes":[]})").size();
    for (const nlohmann::json& record : unbounded) {
        const std::size_t added = record.dump().size() + (expected.empty() ? 0 : 1);
        if (size + added > 65'536) {
            break;
        }
        size += added;
        expected.push_back(record);
    }
    // The lines are sized so that the cut falls right after a region: it served only lines beyond the cut.
    ASSERT_TRUE(expected.back().contains("contextOnly"));
    expected.erase(expected.end() - 1);

    EXPECT_LE(tree.size(), 65'536u);
    EXPECT_EQ(nlohmann::json::parse(tree), nlohmann::json({{"nodes", expected}}));
}

TEST_F(PageEvidenceTest, coordinatesThatCannotBePlacedOnTheCropFailWithASentence)
{
    const nlohmann::json link = {
        {"id", "link"}, {"role", "link"}, {"bounds", {{"x", 5}, {"y", 5}, {"width", 10}, {"height", 10}}}};
    const std::string notPrepared(provider_text::regionNotPrepared);

    struct Row
    {
        const char* name;
        BrowserRect contentRect;
        nlohmann::json nodes;
    };

    const Row rows[] = {
        {"a content rectangle without width", {0, 0, 0, 30}, {link}},
        {"a content rectangle without height", {0, 0, 40, 0}, nlohmann::json::array()},
        {"a content rectangle of negative width", {0, 0, -40, 30}, {link}},
        {"a content rectangle too small to scale", {0, 0, 1e-320, 30}, {link}},
        {"a box too wide to scale",
         {0, 0, 20, 15},
         {{{"id", "wide"}, {"role", "link"}, {"bounds", {{"x", 0}, {"y", 0}, {"width", 1e308}, {"height", 5}}}}}},
        {"a box too far to round",
         {0, 0, 40, 30},
         {{{"id", "far"}, {"role", "link"}, {"bounds", {{"x", -1e308}, {"y", 0}, {"width", 1.5e308}, {"height", 5}}}}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto screenshot = pageScreenshot(40, 30, row.contentRect, row.nodes);
        EXPECT_EQ(failureOf([&] { PreparedPageEvidence::make(*screenshot, {0, 0, 20, 20}); }), notPrepared);
    }
}

} // namespace
} // namespace tavlen
