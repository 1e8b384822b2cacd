#pragma once

#include "BrowserRect.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <array>
#include <optional>

// The geometry of editing regions on a screenshot, in image pixels unless a name says points. Handles, badges and
// tolerances keep their size on screen, so they are given in points and divided by the magnification.
namespace tavlen::ui {

// A resize handle as a unit direction: -1 the rectangle's minimum (left, top), 0 its middle, 1 its maximum.
struct HandleDirection
{
    int x = 0;
    int y = 0;

    friend bool operator==(const HandleDirection&, const HandleDirection&) = default;
};

// The eight handles in hit-test order: top-left, top-middle, top-right, middle-left, middle-right, bottom-left,
// bottom-middle, bottom-right.
inline constexpr std::array<HandleDirection, 8> handleDirections = {
    {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}}};

// Sizes in points.
inline constexpr double handleHitTolerancePoints = 7;
inline constexpr double handleSidePoints = 7;

QRectF toQRectF(const BrowserRect& rect);
BrowserRect toBrowserRect(const QRectF& rect);

// A point of the document kept on the image: negative coordinates become 0, coordinates beyond the image its
// width or height. Rectangles built from such points never leave the image.
QPointF imagePointOnImage(QPointF documentPoint, QSizeF image);

// Where a handle sits on a rectangle.
QPointF handleCentre(const BrowserRect& rect, HandleDirection handle);

// The first handle of the rectangle within tolerance points of the image point (on both axes, so also just
// outside the rectangle), in handle order.
std::optional<HandleDirection> handleAt(const BrowserRect& rect, QPointF point, double magnification);

// Whether the point lies inside the rectangle (edges included on the minimum side only, as rectangles contain).
bool rectContains(const BrowserRect& rect, QPointF point);

// Resizing by a handle: the handle's sides follow the pointer, the others stay; past the opposite side the
// rectangle turns over instead of stopping.
BrowserRect resizedRect(const BrowserRect& original, HandleDirection handle, QPointF pointer);

// Moving: the rectangle keeps its size and follows the pointer's travel since the press, kept inside the image; one
// larger than the image on an axis sits at 0 on it.
BrowserRect movedRect(const BrowserRect& original, QPointF start, QPointF pointer, QSizeF image);

// Creating: the rectangle between the press and the pointer.
BrowserRect createdRect(QPointF start, QPointF pointer);

// A region's badge in points, hanging right and down from the region's top-left corner: the number's text with
// padding, and when there is an icon a square slot for it at the right end.
struct BadgeGeometry
{
    QRectF badge;
    QPointF textTopLeft;
    std::optional<QRectF> icon;
};

inline constexpr double badgeFontPoints = 11;

BadgeGeometry badgeGeometry(QPointF regionTopLeft, QSizeF textSize, std::optional<QSizeF> iconSize);

// The square of a handle, in the same units as its centre: side handleSidePoints ÷ m.
QRectF handleSquare(QPointF centre, double magnification);

} // namespace tavlen::ui
