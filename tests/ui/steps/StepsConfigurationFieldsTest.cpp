#include "ModelSettings.h"
#include "StepInputsFixture.h"
#include "StepsConfigurationRules.h"
#include "StepsDelayStepper.h"
#include "StepsFieldWrapper.h"
#include "StepsOpenPageConfiguration.h"
#include "StepsReadConfiguration.h"
#include "StepsViewportFields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tavlen::ui::test {
namespace {

TEST(StepsConfigurationRulesTest, theDelayIsAWholeNumberFromZeroToSixty)
{
    const struct
    {
        const char* text;
        bool valid;
        std::int64_t up;
        std::int64_t down;
        DelayStepping stepping;
    } cases[]{
        {"0", true, 1, 0, {true, false}},
        {"1", true, 2, 0, {true, true}},
        {" 60 ", true, 60, 59, {false, true}},
        {"007", true, 8, 6, {true, true}},
        // Not a delay: the stepper has no value, so up starts at 0 and down at 60.
        {"61", false, 0, 60, {true, true}},
        {"75", false, 0, 60, {true, true}},
        {"", false, 0, 60, {true, true}},
        {"5s", false, 0, 60, {true, true}},
        {"-1", false, 0, 60, {true, true}},
        {"99999999999999999999", false, 0, 60, {true, true}},
    };

    for (const auto& row : cases) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(isDelayValid(row.text), row.valid);
        EXPECT_EQ(steppedDelay(row.text, 1), row.up);
        EXPECT_EQ(steppedDelay(row.text, -1), row.down);
        EXPECT_EQ(delayStepping(row.text), row.stepping);
        EXPECT_EQ(delayHint(row.text, false), row.valid ? DelayHint::explanation : DelayHint::invalid);
        EXPECT_EQ(delayHint(row.text, true), row.valid ? DelayHint::explanation : DelayHint::none);
    }
    EXPECT_EQ(steppedDelay("58", 10), 60);
    EXPECT_EQ(steppedDelay("3", -10), 0);
}

TEST(StepsConfigurationRulesTest, viewportHintsAndTheModelTooltip)
{
    StepsOpenPageSettings page("https://example.com/", 1280, 800, false, 2);

    const struct
    {
        const char* width;
        const char* height;
        const char* scale;
        bool dimensions;
        bool scaleIssue;
    } cases[]{
        {"1280", "800", "2", false, false},
        {"1", "8000000", "1.5", false, false},
        {"0", "800", "1", true, false},
        {"8000001", "abc", "1", true, false},
        {"1280", "800", "0", false, true},
        {"1280", "800", "-1", false, true},
        {"1280", "800", "abc", false, true},
    };

    for (const auto& row : cases) {
        SCOPED_TRACE(std::string(row.width) + " " + row.height + " " + row.scale);
        page.setViewportWidthText(row.width);
        page.setViewportHeightText(row.height);
        page.setDeviceScaleFactorText(row.scale);
        EXPECT_EQ(hasViewportDimensionsIssue(page), row.dimensions);
        EXPECT_EQ(hasScaleFactorIssue(page), row.scaleIssue);
    }

    const ConfiguredModel model{Uuid::random(), {ModelSelection::Provider::openAI, "gpt-4.1-mini", std::nullopt}};
    const ModelRegistry registry{{model}, model.id};
    const QString none = u"Select a configured AI model"_qs;
    EXPECT_EQ(modelPickerTooltip(&registry, model.id), QString::fromStdString(model.selection.displayName()));
    EXPECT_EQ(modelPickerTooltip(&registry, Uuid::random()), none);
    EXPECT_EQ(modelPickerTooltip(&registry, std::nullopt), none);
    EXPECT_EQ(modelPickerTooltip(nullptr, model.id), none);
}

class StepsConfigurationFieldsTest : public testing::Test
{
protected:
    void show(QWidget* form)
    {
        form->setParent(&window);
        form->move(0, 0);
        window.resize(480, 400);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    static QString messageUnder(QWidget* control)
    {
        auto* wrapper = qobject_cast<StepsFieldWrapper*>(control->parentWidget());
        return wrapper ? wrapper->message() : u"(not wrapped)"_qs;
    }

    StepInputsFixture editing;
    QWidget window;
};

TEST_F(StepsConfigurationFieldsTest, theDelayFieldItsStepperAndItsHint)
{
    auto* form = new StepsOpenPageConfiguration(editing.page(), editing.environment(editing.openPage));
    show(form);
    EXPECT_EQ(form->delayEdit()->text(), u"1"_qs);
    EXPECT_TRUE(form->delayHintLabel()->text().startsWith(u"Wait after the page opens"_qs));

    form->delayEdit()->selectAll();
    QTest::keyClicks(form->delayEdit(), u"5s"_qs);
    EXPECT_EQ(editing.page().screenshotDelayText(), "5s");
    EXPECT_GT(editing.edits, 0);
    EXPECT_TRUE(form->delayHintLabel()->isVisible());
    EXPECT_EQ(form->delayHintLabel()->text(), u"Enter a delay from 0 to 60 seconds."_qs);
    EXPECT_EQ(messageUnder(form->delayEdit()), QString());

    editing.session->setShowsValidation(true);
    EXPECT_FALSE(form->delayHintLabel()->isVisible()) << "the field's own message takes its place";
    EXPECT_EQ(messageUnder(form->delayEdit()), u"Enter a whole number from 0 to 60 seconds."_qs);

    // From a delay that is not one, a step up starts at 0 and a step down at 60.
    form->stepper()->stepUp();
    EXPECT_EQ(form->delayEdit()->text(), u"0"_qs);
    EXPECT_EQ(messageUnder(form->delayEdit()), QString());
    form->stepper()->stepDown();
    EXPECT_EQ(editing.page().screenshotDelayText(), "0") << "not below 0";
    editing.page().setScreenshotDelayText("75");
    form->stepper()->stepDown();
    EXPECT_EQ(editing.page().screenshotDelayText(), "60");
    form->stepper()->stepUp();
    EXPECT_EQ(editing.page().screenshotDelayText(), "60") << "not above 60";
    form->stepper()->stepDown();
    EXPECT_EQ(form->delayEdit()->text(), u"59"_qs);
}

TEST_F(StepsConfigurationFieldsTest, viewportFieldsEditTheSettingsAndHintOnce)
{
    auto* form = new StepsOpenPageConfiguration(editing.page(), editing.environment(editing.openPage));
    show(form);
    StepsViewportFields* viewport = form->viewport();
    EXPECT_EQ(viewport->widthEdit()->text(), u"1280"_qs);
    EXPECT_FALSE(viewport->dimensionsHint()->isVisible());

    viewport->widthEdit()->selectAll();
    QTest::keyClicks(viewport->widthEdit(), u"0"_qs);
    viewport->heightEdit()->selectAll();
    QTest::keyClicks(viewport->heightEdit(), u"abc"_qs);
    EXPECT_EQ(editing.page().viewportWidthText(), "0");
    EXPECT_EQ(editing.page().viewportHeightText(), "abc");
    EXPECT_TRUE(viewport->dimensionsHint()->isVisible());
    EXPECT_EQ(viewport->findChildren<QLabel*>().count(viewport->dimensionsHint()), 1);
    EXPECT_FALSE(viewport->scaleHint()->isVisible());

    viewport->scaleEdit()->selectAll();
    QTest::keyClicks(viewport->scaleEdit(), u"-1"_qs);
    EXPECT_TRUE(viewport->scaleHint()->isVisible());
    QTest::mouseClick(viewport->mobileToggle(), Qt::LeftButton, {}, QPoint(6, viewport->mobileToggle()->height() / 2));
    EXPECT_TRUE(editing.page().mobile());

    editing.session->setShowsValidation(true);
    EXPECT_FALSE(viewport->dimensionsHint()->isVisible());
    EXPECT_FALSE(viewport->scaleHint()->isVisible());
    EXPECT_EQ(messageUnder(viewport->widthEdit()), u"Enter a whole number from 1 to 8,000,000 CSS pixels."_qs);
    EXPECT_EQ(messageUnder(viewport->scaleEdit()), u"Enter a positive device scale factor, such as 1 or 1.5."_qs);
}

TEST_F(StepsConfigurationFieldsTest, theModelPickerTimeoutAndManageModels)
{
    const ConfiguredModel first{Uuid::random(), {ModelSelection::Provider::openAI, "gpt-4.1-mini", std::nullopt}};
    const ConfiguredModel second{Uuid::random(),
                                 {ModelSelection::Provider::ollama, "llama3.2", std::string("http://127.0.0.1:11434")}};
    ModelSettings models(nullptr, nullptr, ModelRegistry{{first, second}, first.id});
    int managed = 0;
    auto* form = new StepsReadConfiguration(
        editing.reading(), &models, [&] { ++managed; }, editing.environment(editing.read));
    show(form);
    QComboBox* picker = form->modelPicker();
    ASSERT_EQ(picker->count(), 3);
    EXPECT_EQ(picker->itemText(0), u"Select a model"_qs);
    EXPECT_EQ(picker->itemText(2), QString::fromStdString(second.selection.displayName()));
    EXPECT_EQ(picker->toolTip(), u"Select a configured AI model"_qs);

    picker->activated(2);
    EXPECT_EQ(editing.reading().modelID(), second.id);
    EXPECT_EQ(picker->toolTip(), QString::fromStdString(second.selection.displayName()));

    editing.session->setShowsValidation(true);
    EXPECT_EQ(messageUnder(picker), QString());
    picker->activated(0);
    EXPECT_EQ(editing.reading().modelID(), std::nullopt);
    EXPECT_EQ(messageUnder(picker), u"Select a configured AI model."_qs);

    // A model that was removed from the configured ones: no entry, the plain tooltip, no message.
    editing.reading().setModelID(Uuid::random());
    EXPECT_EQ(picker->currentIndex(), -1);
    EXPECT_EQ(picker->toolTip(), u"Select a configured AI model"_qs);
    EXPECT_EQ(messageUnder(picker), QString());

    form->timeoutEdit()->selectAll();
    QTest::keyClicks(form->timeoutEdit(), u"0"_qs);
    EXPECT_EQ(editing.reading().timeoutText(), "0");
    EXPECT_EQ(messageUnder(form->timeoutEdit()), u"Enter a positive whole-number timeout in seconds."_qs);

    QTest::mouseClick(form->manageModelsButton(), Qt::LeftButton);
    EXPECT_EQ(managed, 1);
}

TEST_F(StepsConfigurationFieldsTest, withoutModelSettingsOnlyNoModelIsOffered)
{
    auto* form = new StepsReadConfiguration(editing.reading(), nullptr, {}, editing.environment(editing.read));
    show(form);
    ASSERT_EQ(form->modelPicker()->count(), 1);
    EXPECT_EQ(form->modelPicker()->itemText(0), u"Select a model"_qs);
    QTest::mouseClick(form->manageModelsButton(), Qt::LeftButton);
}

} // namespace
} // namespace tavlen::ui::test
