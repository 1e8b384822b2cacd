#pragma once

#include "StepsCapture.h"
#include "StepsScreenshotView.h"

#include <QPoint>
#include <QPointF>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace tavlen::ui::test {

// A capture of a plain image: white, or the given colour, of the given size.
class PlainCapture final : public StepsCapture
{
public:
    PlainCapture(std::uint32_t width, std::uint32_t height, std::uint8_t grey = 255);

    const RgbaImage& image() const override { return m_image; }

private:
    RgbaImage m_image;
};

std::shared_ptr<const StepsCapture> plainCapture(std::uint32_t width, std::uint32_t height, std::uint8_t grey = 255);

// A shown screenshot view of 800 × 600 points with a capture applied; commits and selections are recorded.
class ScreenshotViewTest : public testing::Test
{
protected:
    ScreenshotViewTest();

    void applyInputs();
    // A new zoom request with a fresh id.
    void requestZoom(StepsZoomRequest::Action action);
    // A pinch about a viewport point: the magnification is multiplied by 1 + value.
    void pinch(double value, QPointF at);
    // Press, move in steps and release with the left button, between two image points.
    void dragImage(QPointF from, QPointF to);
    void press(QPointF imagePoint);
    void moveTo(QPointF imagePoint);
    void release(QPointF imagePoint);
    QPoint viewportPointOf(QPointF imagePoint) const;

    std::optional<RegionCommit> lastCommit() const;

    StepsScreenshotViewInputs inputs;
    std::unique_ptr<StepsScreenshotView> view;
    std::unique_ptr<QSignalSpy> commits;
    std::unique_ptr<QSignalSpy> selections;
};

} // namespace tavlen::ui::test
