#include "ScreenshotZoom.h"

#include "StepsScreenshot.h"

#include <algorithm>
#include <cmath>

namespace tavlen::ui {
namespace {

constexpr double fitTolerance = 0.0001;
constexpr double refitWidthChange = 0.5;
constexpr double focusMargin = 20;

// The scroll offset of one axis kept in its range.
double clampScroll(double value, double viewportExtent, double imageExtent, double magnification)
{
    return std::clamp(value, 0.0, maximumScroll(viewportExtent, imageExtent, magnification));
}

// One axis of scrollRevealing, in viewport points.
double revealOnAxis(double scroll, double viewportExtent, double start, double end)
{
    if (end - start > viewportExtent || start < scroll) {
        return start;
    }
    if (end > scroll + viewportExtent) {
        return end - viewportExtent;
    }
    return scroll;
}

} // namespace

double clampMagnification(double magnification)
{
    return std::clamp(magnification, minimumMagnification, maximumMagnification);
}

double imagePixelsForPoints(double points, double magnification)
{
    return points / std::max(magnification, minimumMagnification);
}

std::optional<double> fitWidthMagnification(double viewportWidth, double imageWidth)
{
    if (!(viewportWidth > 0) || !(imageWidth > 0)) {
        return std::nullopt;
    }
    return clampMagnification(viewportWidth / imageWidth);
}

bool fitChangesMagnification(double current, double target)
{
    return std::abs(current - target) > fitTolerance;
}

bool layoutRefits(bool fitsWidth, double viewportWidth, double previousWidth)
{
    return fitsWidth && std::abs(viewportWidth - previousWidth) > refitWidthChange;
}

ZoomOutcome zoomOutcome(StepsZoomRequest::Action action, double current, double viewportWidth, double imageWidth)
{
    switch (action) {
    case StepsZoomRequest::Action::fit: {
        std::optional<double> target = fitWidthMagnification(viewportWidth, imageWidth);
        bool moves = target && fitChangesMagnification(current, *target);
        return {moves ? *target : current, true};
    }
    case StepsZoomRequest::Action::actual:
        return {1.0, false};
    case StepsZoomRequest::Action::zoomIn:
        return {std::min(current * zoomStepFactor, maximumMagnification), false};
    case StepsZoomRequest::Action::zoomOut:
        return {std::max(current / zoomStepFactor, minimumMagnification), false};
    }
    return {current, false};
}

QPointF imageOriginInViewport(QSizeF viewport, QSizeF image, double magnification, QPointF scroll)
{
    double scaledWidth = image.width() * magnification;
    double x = scaledWidth < viewport.width() ? (viewport.width() - scaledWidth) / 2 : -scroll.x();
    return {x, -scroll.y()};
}

double maximumScroll(double viewportExtent, double imageExtent, double magnification)
{
    return std::max(0.0, imageExtent * magnification - viewportExtent);
}

QPointF scrollKeepingAnchor(
    QSizeF viewport, QSizeF image, double oldMagnification, double newMagnification, QPointF oldScroll, QPointF anchor)
{
    QPointF origin = imageOriginInViewport(viewport, image, oldMagnification, oldScroll);
    QPointF imagePoint = (anchor - origin) / oldMagnification;
    QPointF wanted = imagePoint * newMagnification - anchor;
    return {clampScroll(wanted.x(), viewport.width(), image.width(), newMagnification),
            clampScroll(wanted.y(), viewport.height(), image.height(), newMagnification)};
}

QPointF scrollRevealing(QSizeF viewport, QSizeF image, double magnification, QPointF scroll, const BrowserRect& rect)
{
    double x =
        revealOnAxis(scroll.x(), viewport.width(), rect.x * magnification, (rect.x + rect.width) * magnification);
    double y =
        revealOnAxis(scroll.y(), viewport.height(), rect.y * magnification, (rect.y + rect.height) * magnification);
    return {clampScroll(x, viewport.width(), image.width(), magnification),
            clampScroll(y, viewport.height(), image.height(), magnification)};
}

std::optional<BrowserRect>
focusRectangle(const std::vector<StepsRegionOverlay>& regions, const std::optional<Uuid>& selectedID, QSizeF image)
{
    if (!selectedID) {
        return std::nullopt;
    }
    auto region = std::find_if(
        regions.begin(), regions.end(), [&](const StepsRegionOverlay& overlay) { return overlay.id == *selectedID; });
    if (region == regions.end()) {
        return std::nullopt;
    }
    std::optional<BrowserRect> clamped = clampRegionToImage(region->rect, image.width(), image.height());
    if (!clamped) {
        return std::nullopt;
    }
    return BrowserRect{clamped->x - focusMargin,
                       clamped->y - focusMargin,
                       clamped->width + 2 * focusMargin,
                       clamped->height + 2 * focusMargin};
}

bool wheelHandsOff(double deltaY, double visibleTop, double visibleBottom, double imageHeight)
{
    return (deltaY > 0 && visibleTop <= 0) || (deltaY < 0 && imageHeight <= visibleBottom);
}

} // namespace tavlen::ui
