#include "MonitorStoreError.h"
#include "Step.h"
#include "StepsDocument.h"
#include "StepsText.h"

#include <gtest/gtest.h>

#include <functional>

namespace tavlen {
namespace {

std::shared_ptr<Step> openPageStep()
{
    auto settings = std::make_shared<StepsOpenPageSettings>("https://example.com/", 1280, 900, false, 2.0);
    return Step::create(Uuid::random(), StepContent::openPage(settings), std::nullopt, std::nullopt);
}

TEST(StepsValidationTest, eachInputGivesItsSentence)
{
    using Edit = std::function<void(StepsOpenPageSettings&)>;

    struct Row
    {
        const char* name;
        Edit edit;
        StepsField::Kind::Case kind; // meaningless when message is empty
        std::string_view message;    // empty: no issue
    };

    const Row rows[] = {
        {"valid page", [](auto&) {}, {}, {}},
        {"url without scheme",
         [](auto& s) { s.setUrl("example.com"); },
         StepsField::Kind::Case::url,
         steps_text::completeURL},
        {"ftp url",
         [](auto& s) { s.setUrl("ftp://example.com"); },
         StepsField::Kind::Case::url,
         steps_text::completeURL},
        {"url with blanks around", [](auto& s) { s.setUrl("  HTTPS://example.com/x \n"); }, {}, {}},
        {"delay 60", [](auto& s) { s.setScreenshotDelayText("60"); }, {}, {}},
        {"delay 61",
         [](auto& s) { s.setScreenshotDelayText("61"); },
         StepsField::Kind::Case::delay,
         steps_text::delayRange},
        {"delay -1",
         [](auto& s) { s.setScreenshotDelayText("-1"); },
         StepsField::Kind::Case::delay,
         steps_text::delayRange},
        {"delay 1.5",
         [](auto& s) { s.setScreenshotDelayText("1.5"); },
         StepsField::Kind::Case::delay,
         steps_text::delayRange},
        {"width 8000000", [](auto& s) { s.setViewportWidthText("8000000"); }, {}, {}},
        {"width 8000001",
         [](auto& s) { s.setViewportWidthText("8000001"); },
         StepsField::Kind::Case::viewportWidth,
         steps_text::viewportRange},
        {"width 0",
         [](auto& s) { s.setViewportWidthText("0"); },
         StepsField::Kind::Case::viewportWidth,
         steps_text::viewportRange},
        {"empty height",
         [](auto& s) { s.setViewportHeightText(""); },
         StepsField::Kind::Case::viewportHeight,
         steps_text::viewportRange},
        {"scale 0.75", [](auto& s) { s.setDeviceScaleFactorText("0.75"); }, {}, {}},
        {"scale 0",
         [](auto& s) { s.setDeviceScaleFactorText("0"); },
         StepsField::Kind::Case::deviceScaleFactor,
         steps_text::deviceScaleFactor},
        {"scale abc",
         [](auto& s) { s.setDeviceScaleFactorText("abc"); },
         StepsField::Kind::Case::deviceScaleFactor,
         steps_text::deviceScaleFactor},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto step = openPageStep();
        row.edit(*step->content().openPageSettings());
        std::vector<StepsValidationIssue> issues = step->validationIssues();
        if (row.message.empty()) {
            EXPECT_TRUE(issues.empty());
            continue;
        }
        ASSERT_EQ(issues.size(), 1u);
        EXPECT_EQ(issues[0].field.stepID, step->id());
        EXPECT_EQ(issues[0].field.kind.kindCase(), row.kind);
        EXPECT_EQ(issues[0].message, row.message);
    }
}

TEST(StepsValidationTest, readStepReportsEveryProblemInInputOrder)
{
    auto settings = std::make_shared<StepsReadSettings>(std::nullopt);
    ReadingField named{Uuid::random(), "Price", ReadingFieldType::number, ""};
    ReadingField blank{Uuid::random(), " \n\t", ReadingFieldType::text, ""};
    settings->setFields({named, blank});
    settings->setTimeoutText("0");
    auto step = Step::create(Uuid::random(), StepContent::read(settings), Uuid::random(), std::nullopt);

    std::vector<StepsValidationIssue> expected{
        {{step->id(), StepsField::Kind::model()}, std::string(steps_text::selectModel)},
        {{step->id(), StepsField::Kind::timeout()}, std::string(steps_text::positiveTimeout)},
        {{step->id(), StepsField::Kind::fieldName(blank.id)}, std::string(steps_text::enterFieldName)},
    };
    EXPECT_EQ(step->validationIssues(), expected);

    settings->setModelID(Uuid::random());
    settings->setTimeoutText(" 30 ");
    settings->setFields({named});
    EXPECT_TRUE(step->validationIssues().empty());
}

TEST(StepsValidationTest, fieldKindsDifferByFieldId)
{
    Uuid field = Uuid::random();
    EXPECT_EQ(StepsField::Kind::fieldName(field), StepsField::Kind::fieldName(field));
    EXPECT_NE(StepsField::Kind::fieldName(field), StepsField::Kind::fieldName(Uuid::random()));
    EXPECT_NE(StepsField::Kind::fieldName(field), StepsField::Kind::fieldInstruction(field));
    std::hash<StepsField> hash;
    Uuid step = Uuid::random();
    EXPECT_EQ(hash({step, StepsField::Kind::fieldName(field)}), hash({step, StepsField::Kind::fieldName(field)}));
}

// A valid two-step document the table below breaks one rule at a time.
StepsDocument validDocument()
{
    Uuid pageID = Uuid::random();
    StepsDocument document;
    document.steps.push_back(
        {pageID,
         std::nullopt,
         std::nullopt,
         StepsDocument::OpenPage{"https://example.com/", 1, BrowserCaptureSettings{1280, 900, 2, false}}});
    document.steps.push_back(
        {Uuid::random(),
         pageID,
         BrowserRect{0, 0, 10, 10},
         StepsDocument::Read{
             {{Uuid::random(), "Price", StepsDocument::Field::ValueType::number, ""}}, std::nullopt, 60}});
    return document;
}

StepsDocument::OpenPage& page(StepsDocument& document)
{
    return std::get<StepsDocument::OpenPage>(document.steps[0].content);
}

StepsDocument::Read& read(StepsDocument& document, std::size_t index = 1)
{
    return std::get<StepsDocument::Read>(document.steps[index].content);
}

TEST(StepsValidationTest, documentCheckReportsTheFirstBrokenRule)
{
    const auto broken = MonitorStoreError::invalidStoredData();
    auto sentence = [](std::string_view text) { return MonitorStoreError::validation(std::string(text)); };

    struct Row
    {
        const char* name;
        std::function<void(StepsDocument&)> edit;
        std::optional<MonitorStoreError> expected;
    };

    const Row rows[] = {
        {"valid", [](auto&) {}, std::nullopt},
        {"only the open page entry", [](auto& d) { d.steps.pop_back(); }, std::nullopt},
        {"no entries", [](auto& d) { d.steps.clear(); }, broken},
        {"read entry first", [](auto& d) { std::swap(d.steps[0], d.steps[1]); }, broken},
        {"open page with a region",
         [](auto& d) {
             d.steps[0].region = BrowserRect{0, 0, 1, 1};
         },
         broken},
        {"repeated step id", [](auto& d) { d.steps[1].id = d.steps[0].id; }, broken},
        {"second open page entry", [](auto& d) { d.steps[1].content = page(d); }, broken},
        {"source names a read entry", [](auto& d) { d.steps[1].sourceID = d.steps[1].id; }, broken},
        {"read without region", [](auto& d) { d.steps[1].region.reset(); }, broken},
        {"region of width 0", [](auto& d) { d.steps[1].region->width = 0; }, broken},
        {"region with NaN", [](auto& d) { d.steps[1].region->x = std::nan(""); }, broken},
        {"ftp url", [](auto& d) { page(d).url = "ftp://example.com"; }, sentence(steps_text::documentURL)},
        {"delay -1", [](auto& d) { page(d).delay = -1; }, sentence(steps_text::documentDelay)},
        {"delay 61", [](auto& d) { page(d).delay = 61; }, sentence(steps_text::documentDelay)},
        {"no viewport", [](auto& d) { page(d).viewport.reset(); }, sentence(steps_text::documentViewport)},
        {"width 8000001", [](auto& d) { page(d).viewport->width = 8'000'001; }, sentence(steps_text::documentViewport)},
        {"infinite scale",
         [](auto& d) { page(d).viewport->deviceScaleFactor = INFINITY; },
         sentence(steps_text::documentViewport)},
        {"time-out 0 and no fields",
         [](auto& d) {
             read(d).timeoutSeconds = 0;
             read(d).fields.clear();
         },
         sentence(steps_text::documentTimeout)},
        {"no time-out", [](auto& d) { read(d).timeoutSeconds.reset(); }, sentence(steps_text::documentTimeout)},
        {"no fields", [](auto& d) { read(d).fields.clear(); }, sentence(steps_text::documentNoFields)},
        {"blank field name", [](auto& d) { read(d).fields[0].name = " \n"; }, sentence(steps_text::documentFieldName)},
        {"two fields of one name",
         [](auto& d) {
             read(d).fields.push_back({Uuid::random(), "Price", {}, ""});
         },
         std::nullopt},
        {"field id shared by two read entries",
         [](auto& d) {
             d.steps.push_back(d.steps[1]);
             d.steps[2].id = Uuid::random();
         },
         broken},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StepsDocument document = validDocument();
        row.edit(document);
        try {
            document.validate();
            EXPECT_FALSE(row.expected) << "accepted";
        } catch (const MonitorStoreError& error) {
            ASSERT_TRUE(row.expected) << error.errorDescription();
            EXPECT_EQ(error, *row.expected) << error.errorDescription();
        }
    }
}

} // namespace
} // namespace tavlen
