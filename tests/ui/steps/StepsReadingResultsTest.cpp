#include "StepsReadingResults.h"

#include "ExecutionDurationLabel.h"
#include "ProgressSpinner.h"
#include "ReadingPill.h"
#include "Step.h"
#include "StepsTestControl.h"
#include "TavlenButton.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

using namespace std::chrono_literals;

std::vector<Reading> readings(int count)
{
    std::vector<Reading> list;
    for (int index = 0; index < count; ++index) {
        list.push_back({Uuid::random(), "Field " + std::to_string(index + 1), ReadingValue::ofNumber(index * 1.5)});
    }
    return list;
}

// The results in a window of the given width, laid out as a card lays them out.
struct ShownResults
{
    explicit ShownResults(bool showsBackground, int width)
        : results(new StepsReadingResults(showsBackground, &window))
    {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(results);
        layout->addStretch();
        window.resize(width, 400);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    std::vector<QRect> pillFrames() const
    {
        std::vector<QRect> frames;
        for (ReadingPill* pill : results->findChildren<ReadingPill*>()) {
            frames.push_back(QRect(pill->mapTo(results, QPoint(0, 0)), pill->size()));
        }
        return frames;
    }

    void settle() const { QCoreApplication::processEvents(); }

    QWidget window;
    StepsReadingResults* results;
};

TEST(StepsReadingResultsTest, pillsWrapIntoRowsAtTheWidthOffered)
{
    for (int width : {900, 300, 120}) {
        SCOPED_TRACE(width);
        ShownResults shown(true, width);
        shown.results->setExecution(StepsExecutionState::succeeded(readings(4)), std::nullopt);
        shown.settle();
        const std::vector<QRect> frames = shown.pillFrames();
        ASSERT_EQ(frames.size(), 4u);
        // Inside the 12-point padding, each row starting at the leading edge.
        EXPECT_EQ(frames[0].topLeft(), QPoint(12, 12));
        int rows = 1;
        for (std::size_t index = 1; index < frames.size(); ++index) {
            if (frames[index].y() > frames[index - 1].y()) {
                ++rows;
                EXPECT_EQ(frames[index].x(), 12);
                EXPECT_EQ(frames[index].y(), frames[index - 1].bottom() + 1 + 8);
            } else {
                EXPECT_EQ(frames[index].x(), frames[index - 1].right() + 1 + 8);
            }
            EXPECT_LE(frames[index].right(), std::max(width - 12, frames[index].width() + 12));
        }
        EXPECT_EQ(rows > 1, width < 400) << rows;
        EXPECT_GE(shown.results->height(), frames.back().bottom() + 1 + 12);
    }
}

TEST(StepsReadingResultsTest, pillsShowTheFieldTheValueAndTheHelp)
{
    ShownResults shown(true, 600);
    const Reading text{Uuid::random(), "Status", ReadingValue::ofText("In stock")};
    const Reading number{Uuid::random(), "Price", ReadingValue::ofNumber(3)};
    shown.results->setExecution(StepsExecutionState::succeeded({text, number}), 1500ms);
    const QList<ReadingPill*> pills = shown.results->findChildren<ReadingPill*>();
    ASSERT_EQ(pills.size(), 2);
    EXPECT_EQ(pills[0]->nameLabel()->text(), u"Status:"_qs);
    EXPECT_EQ(pills[0]->valueLabel()->text(), u"In stock"_qs);
    EXPECT_TRUE(pills[0]->valueLabel()->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    EXPECT_EQ(pills[1]->toolTip(), u"Price: 3"_qs);
    auto* duration = shown.results->findChild<ExecutionDurationLabel*>();
    ASSERT_NE(duration, nullptr);
    EXPECT_EQ(duration->text(), u"1s 500ms"_qs);
    EXPECT_EQ(duration->accessibleName(), u"Running time: 1s 500ms"_qs);
}

TEST(StepsReadingResultsTest, paddingAndTintFollowTheOutcomeAndTheBackground)
{
    const struct
    {
        const char* name;
        bool showsBackground;
        StepsExecutionState execution;
        int inset;
        bool tinted;
    } cases[]{
        {"a success on a card", true, StepsExecutionState::succeeded(readings(1)), 12, true},
        {"a success in the history", false, StepsExecutionState::succeeded(readings(1)), 0, false},
        {"a failure on a card", true, StepsExecutionState::failed("The page did not load."), 12, true},
        {"a failure in the history keeps its padding", false, StepsExecutionState::failed("Timed out."), 12, false},
    };

    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        ShownResults shown(row.showsBackground, 400);
        shown.results->setExecution(row.execution, std::nullopt);
        shown.settle();
        QWidget* first = shown.results->layout()->itemAt(0)->widget();
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->pos(), QPoint(row.inset, row.inset));
        EXPECT_EQ(shown.results->layout()->count(), 1) << "no running time without a duration";
        const QImage image = shown.results->grab().toImage();
        const QColor corner = image.pixelColor(image.width() / 2, 3);
        EXPECT_EQ(corner != shown.window.palette().color(QPalette::Window), row.tinted) << corner.name().toStdString();
    }
}

TEST(StepsReadingResultsTest, aFailureWrapsItsMessageAndNothingShowsBeforeAnOutcome)
{
    const std::string message = "The model could not read the price: the region shows a sign-in form.";
    for (int width : {900, 220}) {
        SCOPED_TRACE(width);
        ShownResults shown(true, width);
        shown.results->setExecution(StepsExecutionState::failed(message), 2s);
        shown.settle();
        auto* label = shown.results->findChild<QLabel*>(u"executionFailureMessage"_qs);
        ASSERT_NE(label, nullptr);
        const int lineHeight = label->fontMetrics().height();
        if (width > 800) {
            EXPECT_LT(label->height(), 2 * lineHeight) << "one line takes one line's height";
        } else {
            EXPECT_GT(label->height(), 2 * lineHeight);
        }
        // Padding, the message, the spacing, the running time, padding: nothing more.
        auto* duration = shown.results->findChild<ExecutionDurationLabel*>();
        ASSERT_NE(duration, nullptr);
        EXPECT_EQ(shown.results->height(), 12 + label->height() + 8 + duration->height() + 12);

        for (const StepsExecutionState& state : {StepsExecutionState::unexecuted(), StepsExecutionState::running()}) {
            shown.results->setExecution(state, 2s);
            shown.settle();
            EXPECT_EQ(shown.results->layout()->count(), 0);
            EXPECT_EQ(shown.results->sizeHint().height(), 0);
        }
    }
}

TEST(StepsReadingResultsTest, theTestControlFollowsTheStepsExecution)
{
    const auto step = Step::create(
        Uuid::random(), StepContent::read(std::make_shared<StepsReadSettings>(std::nullopt)), Uuid::random(), {});
    StepsTestControl control(step);
    control.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));
    EXPECT_EQ(control.objectName(), u"steps-test-step-"_qs + QString::fromStdString(step->id().uppercaseString()));
    EXPECT_EQ(control.size(), QSize(24, 24));
    QSignalSpy requested(&control, &StepsTestControl::testRequested);
    QTest::mouseClick(control.button(), Qt::LeftButton);
    EXPECT_EQ(requested.count(), 1);

    control.setExecuting(true);
    EXPECT_FALSE(control.button()->isEnabled());
    QTest::mouseClick(control.button(), Qt::LeftButton);
    EXPECT_EQ(requested.count(), 1);

    step->setExecution(StepsExecutionState::running());
    EXPECT_TRUE(control.spinner()->isVisible());
    EXPECT_FALSE(control.button()->isVisible());
    EXPECT_EQ(control.spinner()->accessibleName(), u"Executing Read"_qs);

    step->setExecution(StepsExecutionState::succeeded({}));
    control.setExecuting(false);
    control.setUnavailableReason(u"Select an area first."_qs);
    EXPECT_TRUE(control.button()->isVisible());
    EXPECT_FALSE(control.button()->isEnabled());
    EXPECT_EQ(control.button()->toolTip(), u"Select an area first."_qs);
    EXPECT_EQ(control.button()->accessibleDescription(), u"Succeeded"_qs);
}

} // namespace
} // namespace tavlen::ui
