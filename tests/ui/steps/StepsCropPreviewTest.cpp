#include "StepsCropPreview.h"

#include "ScreenshotViewFixture.h"
#include "StepsCropImageView.h"
#include "WaitUntil.h"

#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

namespace tavlen::ui::test {
namespace {

class StepsCropPreviewTest : public testing::Test
{
protected:
    StepsCropPreviewTest()
    {
        preview.resize(600, 120);
        preview.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&preview));
    }

    void waitForCrop()
    {
        tavlen::test::waitUntil([&] { return !preview.isLoading() && preview.imageView()->isVisible(); });
    }

    void wheel(QPointF at, int angleDeltaY)
    {
        QWheelEvent event(at,
                          preview.imageView()->mapToGlobal(at),
                          QPoint(),
                          QPoint(0, angleDeltaY),
                          Qt::NoButton,
                          Qt::NoModifier,
                          Qt::NoScrollPhase,
                          false);
        QCoreApplication::sendEvent(preview.imageView(), &event);
        EXPECT_TRUE(event.isAccepted());
    }

    std::shared_ptr<const StepsCapture> screenshot = plainCapture(1000, 800);
    StepsCropPreview preview;
};

TEST_F(StepsCropPreviewTest, aRegionOutsideTheScreenshotShowsTheWarningAndNoCrop)
{
    for (BrowserRect region : {BrowserRect{1200, 10, 50, 50}, BrowserRect{10, 10, 0.5, 0.5}}) {
        preview.setSource(screenshot, region);
        EXPECT_TRUE(preview.isOutsideScreenshot());
        EXPECT_FALSE(preview.isLoading());
        EXPECT_FALSE(preview.imageView()->isVisible());
    }
    preview.setSource(screenshot, {10, 10, 20, 10});
    EXPECT_FALSE(preview.isOutsideScreenshot());
    waitForCrop();
}

TEST_F(StepsCropPreviewTest, aCropIsShownFittedAndANewRegionRefitsAZoomedOne)
{
    preview.setSource(screenshot, {10, 10, 10, 5});
    waitForCrop();
    StepsCropImageView* image = preview.imageView();
    EXPECT_EQ(image->size(), QSize(80, 40));
    EXPECT_EQ(image->zoom().scale, 8);

    preview.setSource(screenshot, {10, 10, 200, 50});
    waitForCrop();
    EXPECT_EQ(image->zoom().scale, 2);
    wheel({50, 20}, 120 * 5);
    EXPECT_GT(image->zoom().scale, 2);

    preview.setSource(screenshot, {10, 10, 201, 50});
    waitForCrop();
    EXPECT_EQ(image->zoom(), fittedCrop(image->size(), {201, 50}));
}

TEST_F(StepsCropPreviewTest, aShortDragSelectsAndALongerOnePans)
{
    preview.setSource(screenshot, {0, 0, 480, 100});
    waitForCrop();
    StepsCropImageView* image = preview.imageView();
    QSignalSpy selects(&preview, &StepsCropPreview::selectRequested);

    QTest::mousePress(image, Qt::LeftButton, Qt::NoModifier, QPoint(100, 50));
    QTest::mouseMove(image, QPoint(102, 52));
    QTest::mouseRelease(image, Qt::LeftButton, Qt::NoModifier, QPoint(102, 52));
    EXPECT_EQ(selects.size(), 1);

    wheel({100, 50}, 120 * 1000);
    EXPECT_EQ(image->zoom().scale, 8);
    const QPointF before = image->zoom().origin;
    QTest::mousePress(image, Qt::LeftButton, Qt::NoModifier, QPoint(100, 50));
    QTest::mouseMove(image, QPoint(110, 45));
    EXPECT_TRUE(image->isPanning());
    QTest::mouseMove(image, QPoint(130, 40));
    QTest::mouseRelease(image, Qt::LeftButton, Qt::NoModifier, QPoint(130, 40));
    EXPECT_EQ(selects.size(), 1);
    EXPECT_FALSE(image->isPanning());
    EXPECT_EQ(image->zoom().origin, before + QPointF(30, -10));
}

} // namespace
} // namespace tavlen::ui::test
