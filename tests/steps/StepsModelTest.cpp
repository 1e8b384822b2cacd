#include "StepsConversion.h"

#include <QObject>

#include <gtest/gtest.h>

namespace tavlen {
namespace {

using namespace std::chrono_literals;

// The capture settings a program would take from its configuration; unlike any viewport the tests store.
const BrowserCaptureSettings defaultCapture{1366, 768, 1.25, true};

// Counts the emissions of one signal.
struct SignalCount
{
    int value = 0;

    template <class Object, class Signal> SignalCount(Object* object, Signal signal)
    {
        QObject::connect(object, signal, [this] { ++value; });
    }

    int count() const { return value; }
};

const std::string composed = "https://example.com/caf\xC3\xA9";
const std::string decomposed = "https://example.com/cafe\xCC\x81";

struct OpenPageFixture
{
    std::shared_ptr<StepsOpenPageSettings> settings =
        std::make_shared<StepsOpenPageSettings>(composed, 1280, 900, false, 2.0);
    std::shared_ptr<Step> step =
        Step::create(Uuid::random(), StepContent::openPage(settings), std::nullopt, std::nullopt);
    int edits = 0;

    OpenPageFixture()
    {
        step->setOnEdit([this] { ++edits; });
    }
};

TEST(StepsModelTest, newSettingsStartAsTyped)
{
    StepsOpenPageSettings page("u", 1280, 900, true, 2.0);
    EXPECT_EQ(page.viewportWidthText(), "1280");
    EXPECT_EQ(page.deviceScaleFactorText(), "2");
    EXPECT_EQ(page.screenshotDelayText(), "1");
    EXPECT_EQ(StepsOpenPageSettings::formatDeviceScaleFactor(1.5), "1.5");
    EXPECT_EQ(StepsOpenPageSettings::formatDeviceScaleFactor(0.75), "0.75");

    StepsReadSettings read(std::nullopt);
    EXPECT_EQ(read.timeoutText(), "60");
    EXPECT_FALSE(read.modelID());
    ASSERT_EQ(read.fields().size(), 1u);
    EXPECT_EQ(read.fields()[0].type, ReadingFieldType::text);
    EXPECT_TRUE(read.fields()[0].name.empty() && read.fields()[0].instruction.empty());
}

TEST(StepsModelTest, savedInputsReportAnEditOnlyWhenTheValueChanges)
{
    OpenPageFixture f;
    SignalCount urlChanged(f.settings.get(), &StepsOpenPageSettings::urlChanged);

    f.settings->setUrl(composed);
    f.settings->setUrl(decomposed); // canonically equivalent: stored silently
    EXPECT_EQ(f.settings->url(), decomposed);
    EXPECT_EQ(urlChanged.count(), 0);
    EXPECT_EQ(f.edits, 0);

    f.settings->setUrl("https://example.org/");
    f.settings->setMobile(true);
    f.settings->setScreenshotDelay(5);
    f.settings->setScreenshotDelay(5);
    EXPECT_EQ(f.settings->screenshotDelayText(), "5");
    EXPECT_EQ(urlChanged.count(), 1);
    EXPECT_EQ(f.edits, 3);

    // Capture state notifies but is never an edit.
    SignalCount selectionChanged(f.settings.get(), &StepsOpenPageSettings::selectionChanged);
    f.settings->setSelection(BrowserRect{1, 2, 3, 4});
    f.settings->setSelection(BrowserRect{1, 2, 3, 4});
    f.settings->setPhase(StepsCapturePhase::loading);
    f.settings->setFocusRegionToken(Uuid::random());
    EXPECT_EQ(selectionChanged.count(), 1);
    EXPECT_EQ(f.edits, 3);

    // The step's own region is an edit, also when it is removed.
    f.step->setRegion(BrowserRect{0, 0, 5, 5});
    f.step->setRegion(BrowserRect{0, 0, 5, 5});
    f.step->setRegion(std::nullopt);
    EXPECT_EQ(f.edits, 5);
}

TEST(StepsModelTest, aSettingsObjectOutlivingItsStepRelaysNothing)
{
    auto settings = std::make_shared<StepsReadSettings>(std::nullopt);
    int edits = 0;
    {
        auto step = Step::create(Uuid::random(), StepContent::read(settings), Uuid::random(), std::nullopt);
        step->setOnEdit([&edits] { ++edits; });
        settings->setTimeoutText("30");
        EXPECT_EQ(edits, 1);
    }
    settings->setTimeoutText("31");
    EXPECT_EQ(edits, 1);
}

TEST(StepsModelTest, runningAndUnexecutedClearTheDuration)
{
    OpenPageFixture f;
    SignalCount durationChanged(f.step.get(), &Step::executionDurationChanged);

    struct Row
    {
        const char* name;
        StepsExecutionState state;
        bool keepsDuration;
    };

    const Row rows[] = {
        {"succeeded", StepsExecutionState::succeeded({}), true},
        {"failed", StepsExecutionState::failed("x"), true},
        {"running", StepsExecutionState::running(), false},
        {"unexecuted while already unexecuted", StepsExecutionState::unexecuted(), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        f.step->setExecutionDuration(2s);
        f.step->setExecution(row.state);
        EXPECT_EQ(f.step->executionDuration().has_value(), row.keepsDuration);
    }
    EXPECT_EQ(f.edits, 0);
    EXPECT_EQ(StepsExecutionState::failed("caf\xC3\xA9"), StepsExecutionState::failed("cafe\xCC\x81"));
    EXPECT_NE(StepsExecutionState::running(), StepsExecutionState::unexecuted());
}

TEST(StepsModelTest, viewportAndDelayParseTheTypedTexts)
{
    StepsOpenPageSettings page("u", 1280, 900, false, 2.0);
    page.setViewportWidthText("abc");
    page.setDeviceScaleFactorText("");
    page.setScreenshotDelayText("1.5");
    BrowserCaptureSettings viewport = page.viewport();
    EXPECT_EQ(viewport.width, 0);
    EXPECT_EQ(viewport.height, 900);
    EXPECT_EQ(viewport.deviceScaleFactor, 0);
    EXPECT_EQ(page.screenshotDelay(), -1);
}

TEST(StepsModelTest, capturePhasesAndKindsComeFromTheirExactTexts)
{
    EXPECT_EQ(stepsCapturePhaseFromText("Loading page\u2026"), StepsCapturePhase::loading);
    EXPECT_EQ(stepsCapturePhaseFromText("Loading page..."), std::nullopt);
    EXPECT_EQ(stepsCapturePhaseFromText("Preparing image\u2026"), StepsCapturePhase::decoding);
    EXPECT_EQ(stepKindFromText("Open page"), StepKind::openPage);
    EXPECT_EQ(stepKindFromText("read"), std::nullopt);
}

TEST(StepsModelTest, stepsAndEntriesConvertBothWays)
{
    Uuid pageID = Uuid::random();
    StepsDocument::Entry page{
        pageID,
        std::nullopt,
        std::nullopt,
        StepsDocument::OpenPage{" https://example.com/ ", 7, BrowserCaptureSettings{800, 600, 1.5, true}}};
    StepsDocument::Entry read{Uuid::random(),
                              pageID,
                              BrowserRect{1.5, 2, 30, 40},
                              StepsDocument::Read{{{Uuid::random(), "P", StepsDocument::Field::ValueType::number, "i"},
                                                   {Uuid::random(), "Q", StepsDocument::Field::ValueType::text, ""}},
                                                  Uuid::random(),
                                                  45}};
    for (const auto& entry : {page, read}) {
        auto step = makeStep(entry, nullptr, defaultCapture);
        EXPECT_EQ(documentEntry(*step), entry);
    }

    std::vector<std::string> texts;
    appendNumericInputs(*makeStep(page, nullptr, defaultCapture), texts);
    appendNumericInputs(*makeStep(read, nullptr, defaultCapture), texts);
    EXPECT_EQ(texts, (std::vector<std::string>{"7", "800", "600", "1.5", "45"}));
}

TEST(StepsModelTest, rejectedTextsBecomeValuesTheDocumentCheckRefuses)
{
    OpenPageFixture f;
    f.settings->setScreenshotDelayText("abc");
    f.settings->setViewportHeightText("");
    auto entry = std::get<StepsDocument::OpenPage>(documentEntry(*f.step).content);
    EXPECT_EQ(entry.delay, -1);
    EXPECT_EQ(entry.viewport->height, 0);
    EXPECT_EQ(
        makeStep(documentEntry(*f.step), nullptr, defaultCapture)->content().openPageSettings()->screenshotDelayText(),
        "-1");

    auto readSettings = std::make_shared<StepsReadSettings>(std::nullopt);
    readSettings->setTimeoutText("x");
    auto readStep = Step::create(Uuid::random(), StepContent::read(readSettings), f.step->id(), std::nullopt);
    EXPECT_EQ(std::get<StepsDocument::Read>(documentEntry(*readStep).content).timeoutSeconds, 0);
}

TEST(StepsModelTest, missingOptionalValuesComeBackWithTheirDefaults)
{
    Uuid pageID = Uuid::random();
    auto page = makeStep(
        {pageID, std::nullopt, std::nullopt, StepsDocument::OpenPage{"u", 1, std::nullopt}}, nullptr, defaultCapture);
    EXPECT_EQ(page->content().openPageSettings()->viewport(), defaultCapture);

    auto read =
        makeStep({Uuid::random(), pageID, BrowserRect{0, 0, 1, 1}, StepsDocument::Read{{}, std::nullopt, std::nullopt}},
                 nullptr,
                 defaultCapture);
    EXPECT_EQ(read->content().readSettings()->timeoutText(), "60");
    EXPECT_TRUE(read->content().readSettings()->fields().empty()); // the starting empty field is dropped
}

TEST(StepsModelTest, aRegionDrawnWithNegativeExtentIsStoredStandardised)
{
    auto settings = std::make_shared<StepsReadSettings>(std::nullopt);
    auto step =
        Step::create(Uuid::random(), StepContent::read(settings), Uuid::random(), BrowserRect{100, 80, -40, -30});
    EXPECT_EQ(documentEntry(*step).region, (BrowserRect{60, 50, 40, 30}));
}

} // namespace
} // namespace tavlen
