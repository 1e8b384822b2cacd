#include "ScreenshotViewFixture.h"

#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QTest>

#include <algorithm>

namespace tavlen::ui::test {

PlainCapture::PlainCapture(std::uint32_t width, std::uint32_t height, std::uint8_t grey)
{
    m_image.width = width;
    m_image.height = height;
    m_image.pixels.assign(std::size_t(width) * height * 4, grey);
    for (std::size_t alpha = 3; alpha < m_image.pixels.size(); alpha += 4) {
        m_image.pixels[alpha] = 255;
    }
}

std::shared_ptr<const StepsCapture> plainCapture(std::uint32_t width, std::uint32_t height, std::uint8_t grey)
{
    return std::make_shared<PlainCapture>(width, height, grey);
}

ScreenshotViewTest::ScreenshotViewTest()
    : view(std::make_unique<StepsScreenshotView>())
{
    inputs.screenshot = plainCapture(2000, 4000);
    inputs.zoomRequest = {Uuid::random(), StepsZoomRequest::Action::fit};
    commits = std::make_unique<QSignalSpy>(view.get(), &StepsScreenshotView::regionCommitted);
    selections = std::make_unique<QSignalSpy>(view.get(), &StepsScreenshotView::regionSelected);
    view->resize(800, 600);
    view->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    applyInputs();
}

void ScreenshotViewTest::applyInputs()
{
    view->apply(inputs);
}

void ScreenshotViewTest::requestZoom(StepsZoomRequest::Action action)
{
    inputs.zoomRequest = {Uuid::random(), action};
    applyInputs();
}

void ScreenshotViewTest::pinch(double value, QPointF at)
{
    QWidget* target = view->viewport();
    QNativeGestureEvent event(Qt::ZoomNativeGesture,
                              QPointingDevice::primaryPointingDevice(),
                              2,
                              at,
                              at,
                              target->mapToGlobal(at),
                              value,
                              QPointF());
    QCoreApplication::sendEvent(target, &event);
}

QPoint ScreenshotViewTest::viewportPointOf(QPointF imagePoint) const
{
    return view->viewportPoint(imagePoint).toPoint();
}

void ScreenshotViewTest::press(QPointF imagePoint)
{
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, viewportPointOf(imagePoint));
}

void ScreenshotViewTest::moveTo(QPointF imagePoint)
{
    QTest::mouseMove(view->viewport(), viewportPointOf(imagePoint));
}

void ScreenshotViewTest::release(QPointF imagePoint)
{
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, viewportPointOf(imagePoint));
}

void ScreenshotViewTest::dragImage(QPointF from, QPointF to)
{
    press(from);
    moveTo((from + to) / 2);
    moveTo(to);
    release(to);
}

std::optional<RegionCommit> ScreenshotViewTest::lastCommit() const
{
    if (commits->isEmpty()) {
        return std::nullopt;
    }
    const QList<QVariant>& arguments = commits->back();
    return RegionCommit{arguments.at(0).value<BrowserRect>(), arguments.at(1).value<std::optional<Uuid>>()};
}

} // namespace tavlen::ui::test
