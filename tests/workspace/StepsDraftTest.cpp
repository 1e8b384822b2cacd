#include "StepsDraft.h"

#include "Base64.h"
#include "MainBundle.h"
#include "StepsScreenshot.h"

#include <QObject>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tavlen {
namespace {

using namespace std::chrono_literals;

// The capture settings a program would take from its configuration.
const BrowserCaptureSettings defaultCapture{1366, 768, 1.25, false};

std::shared_ptr<const StepsScreenshot> screenshot(std::uint32_t width, std::uint32_t height)
{
    RgbaImage image{width, height, std::vector<std::uint8_t>(std::size_t{width} * height * 4, 0xFF)};
    BrowserSnapshot snapshot;
    snapshot.imageWidth = width;
    snapshot.imageHeight = height;
    snapshot.imageBase64 = base64Encode(encodePng(image));
    snapshot.snapshotID = "s";
    snapshot.pageTree.snapshotId = "s";
    snapshot.pageTree.startedAt = "2026-01-02T03:04:05.000Z";
    snapshot.pageTree.finishedAt = "2026-01-02T03:04:05.000Z";
    snapshot.pageTree.status = "unavailable";
    snapshot.pageTree.reasons = {"tree_unavailable"};
    return StepsScreenshot::make(snapshot);
}

class StepsDraftTest : public testing::Test
{
protected:
    void SetUp() override
    {
        overrideMainBundleDirectory(std::filesystem::path(TAVLEN_BUNDLE_DIR));
        draft = StepsDraft::makeNew("https://example.com/", defaultCapture);
        draft->setOnEdit([this] { ++edits; });
        page()->setScreenshot(screenshot(100, 50));
    }

    void TearDown() override { overrideMainBundleDirectory(std::nullopt); }

    StepsOpenPageSettings* page() const { return draft->steps().front()->content().openPageSettings(); }

    Uuid pageID() const { return draft->steps().front()->id(); }

    // Appends Read steps until the draft holds count steps, then forgets the edits that made them.
    void growTo(std::size_t count)
    {
        while (draft->steps().size() < count) {
            ASSERT_TRUE(draft->addReadStep(pageID(), std::nullopt, BrowserRect{0, 0, 10, 10}));
        }
        edits = 0;
    }

    std::vector<Uuid> ids() const
    {
        std::vector<Uuid> result;
        for (const auto& step : draft->steps()) {
            result.push_back(step->id());
        }
        return result;
    }

    std::shared_ptr<StepsDraft> draft;
    int edits = 0;
};

TEST_F(StepsDraftTest, editingAStepInvalidatesItAndEveryLaterStep)
{
    growTo(4);
    for (const auto& step : draft->steps()) {
        step->setExecution(StepsExecutionState::succeeded({}));
        step->setExecutionDuration(3s);
    }
    int stepsNotifications = 0;
    QObject::connect(draft.get(), &StepsDraft::stepsChanged, [&] { ++stepsNotifications; });
    const Uuid revision = draft->revision();

    draft->steps()[1]->content().readSettings()->setTimeoutText("30");

    EXPECT_NE(draft->revision(), revision);
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(stepsNotifications, 0);
    EXPECT_EQ(draft->steps()[0]->execution().kind(), StepsExecutionState::Kind::succeeded);
    EXPECT_TRUE(draft->steps()[0]->executionDuration());
    for (std::size_t i = 1; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(draft->steps()[i]->execution().kind(), StepsExecutionState::Kind::unexecuted);
        EXPECT_FALSE(draft->steps()[i]->executionDuration());
    }

    // An unchanged value is no edit; a region change is.
    draft->steps()[1]->content().readSettings()->setTimeoutText("30");
    EXPECT_EQ(edits, 1);
    draft->steps()[3]->setRegion(BrowserRect{1, 1, 5, 5});
    EXPECT_EQ(edits, 2);
}

TEST_F(StepsDraftTest, aRemovedStepNoLongerChangesTheDraft)
{
    growTo(3);
    std::shared_ptr<Step> removed = draft->steps()[1];
    draft->setSelectedID(removed->id());
    draft->removeStep(removed->id());
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(draft->steps().size(), 2u);
    EXPECT_FALSE(draft->selectedID());

    const Uuid revision = draft->revision();
    removed->content().readSettings()->setTimeoutText("5");
    EXPECT_EQ(draft->revision(), revision);
    EXPECT_EQ(edits, 1);

    draft->removeStep(pageID());
    draft->removeStep(Uuid::random());
    EXPECT_EQ(draft->steps().size(), 2u);
    EXPECT_EQ(edits, 1);
}

TEST_F(StepsDraftTest, aStepOutlivingItsDraftRelaysNothing)
{
    growTo(2);
    std::shared_ptr<Step> kept = draft->steps()[1];
    std::weak_ptr<StepsDraft> weakDraft = draft;
    draft.reset();
    EXPECT_TRUE(weakDraft.expired()); // the steps' relays hold the draft weakly

    kept->content().readSettings()->setTimeoutText("5");
    kept->setRegion(BrowserRect{1, 1, 2, 2});
    EXPECT_EQ(edits, 0);
}

TEST_F(StepsDraftTest, movesAreCheckedAgainstTheWorkflowShape)
{
    growTo(3); // page, A, B

    struct Row
    {
        const char* name;
        std::size_t moved; // position of the step to move
        std::int64_t destination;
        std::optional<std::vector<std::size_t>> order; // by old positions; none: refused
        bool changes;
    };

    const Row rows[] = {
        {"the first step never moves", 0, 2, std::nullopt, false},
        {"nothing goes before the first step", 2, 0, std::nullopt, false},
        {"beyond the end", 1, 4, std::nullopt, false},
        {"negative destination", 1, -1, std::nullopt, false},
        {"B before A", 2, 1, std::vector<std::size_t>{0, 2, 1}, true},
        {"A to the end", 1, 3, std::vector<std::size_t>{0, 2, 1}, true},
        {"A onto its own position", 1, 1, std::vector<std::size_t>{0, 1, 2}, false},
        {"A to the position after it", 1, 2, std::vector<std::size_t>{0, 1, 2}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<Uuid> before = ids();
        for (const auto& step : draft->steps()) {
            step->setExecution(StepsExecutionState::succeeded({}));
        }
        const Uuid revision = draft->revision();
        edits = 0;

        auto order = draft->reorderedSteps(before[row.moved], row.destination);
        ASSERT_EQ(order.has_value(), row.order.has_value());
        if (order) {
            for (std::size_t i = 0; i < order->size(); ++i) {
                EXPECT_EQ((*order)[i]->id(), before[(*row.order)[i]]);
            }
        }
        EXPECT_EQ(draft->moveStep(before[row.moved], row.destination), row.changes);
        EXPECT_EQ(draft->revision() != revision, row.changes);
        EXPECT_EQ(edits, row.changes ? 1 : 0);
        EXPECT_EQ(draft->steps()[0]->execution().kind(), StepsExecutionState::Kind::succeeded);
        if (row.changes) {
            EXPECT_EQ(draft->steps()[1]->execution().kind(), StepsExecutionState::Kind::unexecuted);
            ASSERT_TRUE(draft->moveStep(before[2], 3)); // every accepted row swaps A and B: swap back
            ASSERT_EQ(ids(), before);
        }
    }
}

TEST_F(StepsDraftTest, aStepWhoseSourceIsMissingBlocksEveryReorder)
{
    auto settings = std::make_shared<StepsReadSettings>(std::nullopt);
    auto orphan = Step::create(Uuid::random(), StepContent::read(settings), Uuid::random(), BrowserRect{0, 0, 5, 5});
    auto other = std::make_shared<StepsReadSettings>(std::nullopt);
    auto read =
        Step::create(Uuid::random(), StepContent::read(other), draft->steps()[0]->id(), BrowserRect{0, 0, 5, 5});
    auto broken = StepsDraft::create({draft->steps()[0], read, orphan});
    EXPECT_FALSE(broken->reorderedSteps(read->id(), 3));
    EXPECT_FALSE(broken->moveStep(orphan->id(), 1));
}

TEST(StepsRegionClampTest, keepsOnlyWhatLiesInsideTheImage)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();

    struct Row
    {
        const char* name;
        BrowserRect rect;
        std::optional<BrowserRect> expected;
    };

    const Row rows[] = {
        {"inside, fractions kept", {10.25, 5.5, 20.5, 10}, BrowserRect{10.25, 5.5, 20.5, 10}},
        {"negative size standardised", {30, 20, -20, -10}, BrowserRect{10, 10, 20, 10}},
        {"partly outside is cut", {-10, 40, 30, 30}, BrowserRect{0, 40, 20, 10}},
        {"wholly outside", {150, 10, 20, 20}, std::nullopt},
        {"touching the edge only", {100, 0, 10, 10}, std::nullopt},
        {"less than a pixel wide inside", {99.5, 0, 10, 10}, std::nullopt},
        {"exactly one pixel", {99, 49, 5, 5}, BrowserRect{99, 49, 1, 1}},
        {"zero height", {0, 0, 10, 0}, std::nullopt},
        {"infinite width", {0, 0, inf, 10}, std::nullopt},
        {"NaN origin", {nan, 0, 10, 10}, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(clampRegionToImage(row.rect, 100, 50), row.expected);
    }

    // An image size that is not a number bounds nothing, so nothing can be cut to it.
    EXPECT_EQ(clampRegionToImage({0, 0, 10, 10}, nan, 50), std::nullopt);
    EXPECT_EQ(clampRegionToImage({0, 0, 10, 10}, 100, nan), std::nullopt);
    EXPECT_EQ(clampRegionToImage({0, 0, 10, 10}, 0, 0), std::nullopt);
}

TEST_F(StepsDraftTest, addsReadStepsOnlyOnAScreenshot)
{
    auto before = ids();
    EXPECT_FALSE(draft->addReadStep(pageID(), std::nullopt, BrowserRect{200, 0, 10, 10}));
    EXPECT_FALSE(draft->addReadStep(pageID(), std::nullopt, BrowserRect{0, 0, NAN, 10}));
    EXPECT_FALSE(draft->addReadStep(Uuid::random(), std::nullopt, BrowserRect{0, 0, 10, 10}));
    EXPECT_EQ(ids(), before);
    EXPECT_EQ(edits, 0);

    Uuid model = Uuid::random();
    std::optional<Uuid> added = draft->addReadStep(pageID(), model, BrowserRect{90, 40, 20, -20});
    ASSERT_TRUE(added);
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(draft->selectedID(), added);
    std::shared_ptr<Step> step = draft->step(*added);
    ASSERT_EQ(step, draft->steps().back());
    EXPECT_EQ(step->sourceID(), pageID());
    EXPECT_EQ(step->region(), (BrowserRect{90, 20, 10, 20}));
    EXPECT_EQ(step->content().readSettings()->modelID(), model);
    EXPECT_EQ(draft->stepsWithSourceID(pageID()).size(), 1u);

    // A Read step is no source, and a page without a screenshot gives nothing to read.
    EXPECT_FALSE(draft->addReadStep(*added, std::nullopt, BrowserRect{0, 0, 10, 10}));
    page()->setScreenshot(nullptr);
    EXPECT_FALSE(draft->addReadStep(pageID(), std::nullopt, BrowserRect{0, 0, 10, 10}));
    EXPECT_EQ(edits, 1);
}

TEST_F(StepsDraftTest, togglingTheSelectionAsksForFocusOnlyWhenSelecting)
{
    growTo(3);
    const Uuid a = draft->steps()[1]->id();
    const Uuid b = draft->steps()[2]->id();
    draft->setSelectedID(a);
    page()->setSelection(BrowserRect{1, 1, 2, 2});
    const Uuid token = page()->focusRegionToken();

    draft->toggleReadStepSelection(a);
    EXPECT_FALSE(draft->selectedID());
    EXPECT_FALSE(page()->selection());
    EXPECT_EQ(page()->focusRegionToken(), token);

    draft->toggleReadStepSelection(b);
    EXPECT_EQ(draft->selectedID(), b);
    EXPECT_NE(page()->focusRegionToken(), token);

    draft->toggleReadStepSelection(pageID()); // no source: nothing happens
    EXPECT_EQ(draft->selectedID(), b);
    EXPECT_EQ(edits, 0);
}

TEST_F(StepsDraftTest, aDraftRebuiltFromItsDocumentIsEqualAndReportsNoEdit)
{
    EXPECT_EQ(page()->viewport(), defaultCapture); // a new draft captures with the settings it was given
    growTo(3);
    draft->steps()[1]->content().readSettings()->setFields(
        {ReadingField{Uuid::random(), "Price", ReadingFieldType::number, "in euro"}});
    std::vector<StepsDocument::Entry> entries = draft->documentEntries();

    auto rebuilt = StepsDraft::makeFromDocument(entries, page()->screenshot(), defaultCapture);
    int rebuiltEdits = 0;
    rebuilt->setOnEdit([&] { ++rebuiltEdits; });
    EXPECT_TRUE(stepsEntriesEqual(rebuilt->documentEntries(), entries));
    EXPECT_EQ(rebuilt->numericInputs(), draft->numericInputs());
    EXPECT_EQ(rebuilt->steps()[0]->content().openPageSettings()->screenshot(), page()->screenshot());
    EXPECT_EQ(rebuiltEdits, 0);

    rebuilt->steps()[2]->content().readSettings()->setTimeoutText("9");
    EXPECT_EQ(rebuiltEdits, 1);
    draft->resetExecution(10); // beyond the end: nothing happens
}

} // namespace
} // namespace tavlen
