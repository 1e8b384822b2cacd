#include "StepsFieldWrapper.h"

#include "StepInputsFixture.h"
#include "StepsFieldMessage.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace tavlen::ui::test {
namespace {

using Kind = StepsField::Kind;

TEST(StepsFieldMessageTest, theFirstIssueOfExactlyThisFieldIsShown)
{
    const Uuid step = Uuid::random();
    const Uuid other = Uuid::random();
    const Uuid fieldA = Uuid::random();
    const Uuid fieldB = Uuid::random();
    const std::vector<StepsValidationIssue> issues{
        {{other, Kind::model()}, "other step's model"},
        {{step, Kind::fieldName(fieldA)}, "A's name"},
        {{step, Kind::model()}, "first model"},
        {{step, Kind::model()}, "second model"},
        {{step, Kind::fieldName(fieldB)}, "B's name"},
    };

    const struct
    {
        const char* name;
        StepsField field;
        std::optional<std::string> message;
    } cases[]{
        {"only the first of two issues for the control", {step, Kind::model()}, "first model"},
        {"an issue of another step never shows", {other, Kind::timeout()}, std::nullopt},
        {"the other step's own issue shows under its own control", {other, Kind::model()}, "other step's model"},
        {"a field's name issue shows under that field's name", {step, Kind::fieldName(fieldB)}, "B's name"},
        {"not under the instructions of the same field", {step, Kind::fieldInstruction(fieldA)}, std::nullopt},
        {"not under another field's name", {step, Kind::fieldName(Uuid::random())}, std::nullopt},
        {"a kind without an issue", {step, Kind::timeout()}, std::nullopt},
    };

    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(firstMessageFor(issues, row.field), row.message);
    }
}

class StepsFieldWrapperTest : public testing::Test
{
protected:
    StepsFieldWrapperTest()
    {
        window.resize(240, 200);
        new QVBoxLayout(&window);
    }

    StepsFieldWrapper* wrap(std::optional<Kind> kind, const StepsFieldEnvironment& environment)
    {
        auto* wrapper = new StepsFieldWrapper(new QLineEdit, kind, environment, &window);
        window.layout()->addWidget(wrapper);
        return wrapper;
    }

    void show()
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    StepInputsFixture editing;
    QWidget window;
};

TEST_F(StepsFieldWrapperTest, messagesShowWhileValidationIsShownAndFollowEachEdit)
{
    StepsFieldWrapper* timeout = wrap(Kind::timeout(), editing.environment(editing.read));
    StepsFieldWrapper* model = wrap(Kind::model(), editing.environment(editing.read));
    show();
    EXPECT_EQ(model->message(), QString()) << "an invalid input shows nothing until validation is shown";

    editing.session->setShowsValidation(true);
    EXPECT_EQ(model->message(), u"Select a configured AI model."_qs);
    EXPECT_EQ(timeout->message(), QString());
    EXPECT_EQ(model->messageLabel()->y(), model->control()->height() + 3);

    editing.reading().setTimeoutText("0");
    EXPECT_EQ(timeout->message(), u"Enter a positive whole-number timeout in seconds."_qs);
    editing.reading().setModelID(Uuid::random());
    EXPECT_EQ(model->message(), QString());
    QCoreApplication::processEvents();
    EXPECT_EQ(model->height(), model->control()->height()) << "the gap and the row close with the message";

    editing.session->setShowsValidation(false);
    EXPECT_EQ(timeout->message(), QString());
}

TEST_F(StepsFieldWrapperTest, aLongMessageWrapsUnderItsControl)
{
    editing.page().setViewportWidthText("0");
    editing.session->setShowsValidation(true);
    StepsFieldWrapper* width = wrap(Kind::viewportWidth(), editing.environment(editing.openPage));
    show();
    QCoreApplication::processEvents();
    EXPECT_EQ(width->message(), u"Enter a whole number from 1 to 8,000,000 CSS pixels."_qs);
    EXPECT_GT(width->messageLabel()->height(), width->messageLabel()->fontMetrics().height() * 3 / 2);
    EXPECT_LE(width->messageLabel()->width(), window.width());
}

TEST_F(StepsFieldWrapperTest, outsideTheEditorAControlIsPlain)
{
    editing.session->setShowsValidation(true);
    StepsFieldEnvironment noContext = editing.environment(editing.read);
    noContext.validation.reset();
    StepsFieldEnvironment noStep = editing.environment(editing.read);
    noStep.step.reset();
    for (StepsFieldWrapper* wrapper : {wrap(Kind::model(), noContext),
                                       wrap(Kind::model(), noStep),
                                       wrap(std::nullopt, editing.environment(editing.read))}) {
        EXPECT_EQ(wrapper->field(), std::nullopt);
        EXPECT_EQ(wrapper->message(), QString());
        EXPECT_EQ(editing.focus.control({editing.read->id(), Kind::model()}), nullptr);
    }
}

TEST_F(StepsFieldWrapperTest, theControlTakesAndGivesTheSharedFocus)
{
    StepsFieldWrapper* timeout = wrap(Kind::timeout(), editing.environment(editing.read));
    StepsFieldWrapper* url = wrap(Kind::url(), editing.environment(editing.openPage));
    show();
    const StepsField timeoutField{editing.read->id(), Kind::timeout()};
    const StepsField urlField{editing.openPage->id(), Kind::url()};

    // Named without validation shown, the control still takes the focus.
    editing.focus.setFocusedField(timeoutField);
    EXPECT_TRUE(timeout->control()->hasFocus());

    QTest::mouseClick(url->control(), Qt::LeftButton);
    EXPECT_TRUE(url->control()->hasFocus());
    EXPECT_EQ(editing.focus.focusedField(), urlField);

    editing.focus.setFocusedField(std::nullopt);
    EXPECT_FALSE(url->control()->hasFocus());

    // A control that appears while its field is named takes the focus at once.
    const StepsField delayField{editing.openPage->id(), Kind::delay()};
    editing.focus.setFocusedField(delayField);
    StepsFieldWrapper* delay = wrap(Kind::delay(), editing.environment(editing.openPage));
    delay->show();
    EXPECT_TRUE(delay->control()->hasFocus());
    delete delay;
    EXPECT_EQ(editing.focus.control(delayField), nullptr);
}

} // namespace
} // namespace tavlen::ui::test
