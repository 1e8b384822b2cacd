#pragma once

#include "BrowserRect.h"
#include "StepsRegionOverlay.h"
#include "StepsZoomRequest.h"
#include "Uuid.h"

#include <QPointF>
#include <QSizeF>

#include <optional>
#include <vector>

// The zoom of the screenshot view as plain functions. Magnification m is viewport points per image pixel; the
// image's top-left corner is image point (0, 0); scroll offsets are in viewport points of the magnified image.
namespace tavlen::ui {

inline constexpr double minimumMagnification = 0.005;
inline constexpr double maximumMagnification = 8.0;
inline constexpr double zoomStepFactor = 1.25;

// m kept within the limits.
double clampMagnification(double magnification);

// A length that must look the same on screen at every zoom, in image pixels: points ÷ m, with m never taken
// below the smallest magnification.
double imagePixelsForPoints(double points, double magnification);

// The magnification at which the image's width fills the viewport's, within the limits; none while either width
// is not positive (nothing to fit yet).
std::optional<double> fitWidthMagnification(double viewportWidth, double imageWidth);

// Whether fitting moves the magnification at all: differences within 0.0001 are left alone.
bool fitChangesMagnification(double current, double target);

// Whether a layout pass refits: only while fitting the width, and only when the width changed by more than half
// a point since the last refit.
bool layoutRefits(bool fitsWidth, double viewportWidth, double previousWidth);

// The magnification and fit mode after a zoom action. Fit keeps the current magnification when there is nothing
// to fit; zooming in and out steps by 1.25 and stops at the limits.
struct ZoomOutcome
{
    double magnification = 1;
    bool fitsWidth = true;

    friend bool operator==(const ZoomOutcome&, const ZoomOutcome&) = default;
};

ZoomOutcome zoomOutcome(StepsZoomRequest::Action action, double current, double viewportWidth, double imageWidth);

// Where the image's top-left corner lies in the viewport. An image narrower than the viewport is centred
// horizontally; vertically the image always starts at the scroll offset.
QPointF imageOriginInViewport(QSizeF viewport, QSizeF image, double magnification, QPointF scroll);

// The largest scroll offset on one axis: how far the magnified image overhangs the viewport.
double maximumScroll(double viewportExtent, double imageExtent, double magnification);

// The scroll offsets after a change of magnification that keep the image point under the viewport point anchor
// where it was, clamped to the scroll range. An axis on which the image is narrower than the viewport is 0.
QPointF scrollKeepingAnchor(
    QSizeF viewport, QSizeF image, double oldMagnification, double newMagnification, QPointF oldScroll, QPointF anchor);

// The scroll offsets that bring an image rectangle into view moving as little as possible (one larger than the
// viewport shows its top-left part), clamped to the scroll range.
QPointF scrollRevealing(QSizeF viewport, QSizeF image, double magnification, QPointF scroll, const BrowserRect& rect);

// The rectangle a new focus token brings into view: the first region with the selected id, clamped to the image
// and grown by 20 image pixels on every side. None without a selection, a matching region or a clamped rectangle.
std::optional<BrowserRect>
focusRectangle(const std::vector<StepsRegionOverlay>& regions, const std::optional<Uuid>& selectedID, QSizeF image);

// Whether a wheel turn belongs to the enclosing scroll area: towards the top (deltaY > 0) with the image's top
// already shown, or towards the bottom with its bottom shown. Visible edges are in image pixels; a horizontal turn
// (deltaY == 0) stays with the image.
bool wheelHandsOff(double deltaY, double visibleTop, double visibleBottom, double imageHeight);

} // namespace tavlen::ui
