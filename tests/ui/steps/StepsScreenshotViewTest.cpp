#include "ScreenshotViewFixture.h"

#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <functional>

namespace tavlen::ui::test {
namespace {

using Action = StepsZoomRequest::Action;

void expectRectNear(const std::optional<RegionCommit>& commit, const BrowserRect& expected, double tolerance)
{
    ASSERT_TRUE(commit);
    EXPECT_NEAR(commit->rect.x, expected.x, tolerance);
    EXPECT_NEAR(commit->rect.y, expected.y, tolerance);
    EXPECT_NEAR(commit->rect.width, expected.width, 2 * tolerance);
    EXPECT_NEAR(commit->rect.height, expected.height, 2 * tolerance);
}

// A child run of this program under another device scale sets this, so the test can tell that it took effect.
constexpr const char* expectedScaleVariable = "TAVLEN_TEST_EXPECTED_DEVICE_SCALE";

TEST_F(ScreenshotViewTest, dragsCommitImagePixelsAtEveryMagnification)
{
    if (qEnvironmentVariableIsSet(expectedScaleVariable)) {
        ASSERT_DOUBLE_EQ(view->devicePixelRatioF(), qEnvironmentVariable(expectedScaleVariable).toDouble());
    }
    const Uuid region = Uuid::random();
    inputs.regions = {{region, 1, StepKind::read, {100, 120, 100, 80}}};
    applyInputs();
    for (double magnification : {0.25, 1.0, 2.0}) {
        SCOPED_TRACE(magnification);
        requestZoom(Action::actual);
        if (magnification != 1) {
            pinch(magnification - 1, {0, 0});
        }
        ASSERT_DOUBLE_EQ(view->magnification(), magnification);
        // Viewport points are whole, so an image coordinate can be off by half a point.
        const double tolerance = 0.5 / magnification + 1e-9;

        inputs.selectedID.reset();
        applyInputs();
        dragImage({230, 200}, {310, 260});
        expectRectNear(lastCommit(), {230, 200, 80, 60}, tolerance);
        EXPECT_EQ(lastCommit()->regionID, std::nullopt);
        EXPECT_EQ(selections->back().at(0).value<std::optional<Uuid>>(), std::nullopt);

        dragImage({120, 140}, {150, 130});
        expectRectNear(lastCommit(), {130, 110, 100, 80}, tolerance);
        EXPECT_EQ(lastCommit()->regionID, region);
        EXPECT_EQ(selections->back().at(0).value<std::optional<Uuid>>(), region);

        inputs.selectedID = region;
        applyInputs();
        const qsizetype selectionsBefore = selections->size();
        dragImage({100, 120}, {60, 100});
        expectRectNear(lastCommit(), {60, 100, 140, 100}, tolerance);
        dragImage({200, 200}, {250, 230});
        expectRectNear(lastCommit(), {100, 120, 150, 110}, tolerance);
        EXPECT_EQ(lastCommit()->regionID, region);
        EXPECT_EQ(selections->size(), selectionsBefore) << "pressing the selected region's handles selects nothing";
    }
}

TEST(ScreenshotViewDeviceScaleTest, dragsCommitImagePixelsAtDeviceScaleTwo)
{
    if (qEnvironmentVariableIsSet(expectedScaleVariable)) {
        GTEST_SKIP() << "runs only from the parent run";
    }
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    environment.insert(QString::fromUtf8(expectedScaleVariable), QStringLiteral("2"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=ScreenshotViewTest.dragsCommitImagePixelsAtEveryMagnification")});
    ASSERT_TRUE(child.waitForFinished(240000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
}

TEST_F(ScreenshotViewTest, aGestureEndsWithoutCommitWhenItsScreenshotOrEditingGoes)
{
    struct Row
    {
        const char* name;
        std::function<void(StepsScreenshotViewInputs&)> interrupt;
    };

    const Row rows[] = {
        {"a new screenshot", [](StepsScreenshotViewInputs& changed) { changed.screenshot = plainCapture(2000, 4000); }},
        {"editing switched off", [](StepsScreenshotViewInputs& changed) { changed.allowsEditing = false; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        inputs.allowsEditing = true;
        applyInputs();
        press({300, 300});
        moveTo({400, 400});
        ASSERT_TRUE(view->editing().workingRect());
        row.interrupt(inputs);
        applyInputs();
        EXPECT_FALSE(view->editing().workingRect());
        EXPECT_FALSE(view->editing().hasGesture());
        moveTo({450, 450});
        release({450, 450});
        EXPECT_TRUE(commits->isEmpty());
    }
}

TEST_F(ScreenshotViewTest, escapeAbandonsTheDrag)
{
    press({300, 300});
    moveTo({400, 400});
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_FALSE(view->editing().workingRect());
    release({400, 400});
    EXPECT_TRUE(commits->isEmpty());
}

TEST_F(ScreenshotViewTest, zoomRequestsApplyOncePerIdAndFittingFollowsTheWidth)
{
    const double fitted = view->magnification();
    EXPECT_TRUE(view->fitsWidth());
    EXPECT_NEAR(fitted * 2000, view->viewport()->width(), 1e-6);

    inputs.zoomRequest = {Uuid::random(), Action::zoomIn};
    applyInputs();
    applyInputs();
    EXPECT_DOUBLE_EQ(view->magnification(), fitted * 1.25);

    requestZoom(Action::actual);
    view->resize(600, 600);
    EXPECT_DOUBLE_EQ(view->magnification(), 1);

    requestZoom(Action::fit);
    EXPECT_NEAR(view->magnification() * 2000, view->viewport()->width(), 1e-6);
    view->resize(500, 600);
    EXPECT_NEAR(view->magnification() * 2000, view->viewport()->width(), 1e-6);
}

TEST_F(ScreenshotViewTest, aNewScreenshotIsFittedFromItsTopLeftWhateverZoomCameWithIt)
{
    requestZoom(Action::actual);
    view->verticalScrollBar()->setValue(900);
    inputs.screenshot = plainCapture(1600, 9000);
    inputs.zoomRequest = {Uuid::random(), Action::zoomIn};
    applyInputs();
    EXPECT_NEAR(view->magnification() * 1600, view->viewport()->width(), 1e-6);
    EXPECT_EQ(view->scrollOffset(), QPointF(0, 0));
}

TEST_F(ScreenshotViewTest, aNarrowScreenshotStopsAtEightAndIsCentred)
{
    inputs.screenshot = plainCapture(50, 4000);
    applyInputs();
    EXPECT_DOUBLE_EQ(view->magnification(), 8);
    EXPECT_DOUBLE_EQ(view->viewportPoint({0, 0}).x(), (view->viewport()->width() - 400) / 2.0);
}

TEST_F(ScreenshotViewTest, aFocusTokenRevealsTheSelectedRegionOnce)
{
    const Uuid region = Uuid::random();
    inputs.regions = {{region, 1, StepKind::read, {100, 3000, 200, 100}}};
    inputs.selectedID = region;
    inputs.focusToken = Uuid::random();
    applyInputs();
    const QRectF shown(view->viewportPoint({100, 3000}), view->viewportPoint({300, 3100}));
    EXPECT_TRUE(QRectF(view->viewport()->rect()).contains(shown));

    view->verticalScrollBar()->setValue(0);
    applyInputs();
    EXPECT_EQ(view->scrollOffset(), QPointF(0, 0));

    inputs.selectedID.reset();
    inputs.focusToken = Uuid::random();
    applyInputs();
    EXPECT_EQ(view->scrollOffset(), QPointF(0, 0));
}

TEST_F(ScreenshotViewTest, theWheelHandsOverAtTheImagesEnds)
{
    struct Row
    {
        const char* name;
        int scrollBefore;
        int angleDeltaY;
        bool handedOver;
    };

    const int bottom = view->verticalScrollBar()->maximum();
    const Row rows[] = {
        {"up at the top", 0, 120, true},
        {"down at the top", 0, -120, false},
        {"down at the bottom", bottom, -120, true},
        {"up at the bottom", bottom, 120, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        view->verticalScrollBar()->setValue(row.scrollBefore);
        const QPointF at(100, 100);
        QWheelEvent wheel(at,
                          view->viewport()->mapToGlobal(at),
                          QPoint(),
                          QPoint(0, row.angleDeltaY),
                          Qt::NoButton,
                          Qt::NoModifier,
                          Qt::NoScrollPhase,
                          false);
        QCoreApplication::sendEvent(view->viewport(), &wheel);
        EXPECT_EQ(wheel.isAccepted(), !row.handedOver);
        EXPECT_EQ(view->verticalScrollBar()->value() == row.scrollBefore, row.handedOver);
    }
}

TEST_F(ScreenshotViewTest, outsideTheRegionsThePageIsDimmed)
{
    const Uuid region = Uuid::random();
    const QPoint outside = viewportPointOf({1000, 500});
    const QPoint inside = viewportPointOf({1000, 300});
    EXPECT_EQ(view->viewport()->grab().toImage().pixelColor(outside), QColor(Qt::white));

    inputs.regions = {{region, 1, StepKind::read, {800, 200, 400, 200}}};
    applyInputs();
    const QImage shown = view->viewport()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(inside), QColor(Qt::white));
    EXPECT_LT(shown.pixelColor(outside).lightness(), 200);
}

} // namespace
} // namespace tavlen::ui::test
