#pragma once

#include <QPointF>
#include <QSizeF>

#include <optional>

// The zoom and pan of a region's crop preview as plain functions. Scale is points per image pixel; origin is where
// the image's top-left corner lies in the view, in points. The crop can be zoomed from its fitted size up to 8
// points per pixel, and panned only as far as no empty margin shows.
namespace tavlen::ui {

inline constexpr double cropMaximumScale = 8;
inline constexpr double cropPreviewMaximumWidth = 480;
inline constexpr double cropPreviewMaximumHeight = 100;
// A drag shorter than this is a tap.
inline constexpr double cropPanThreshold = 4;

struct CropZoom
{
    double scale = 1;
    QPointF origin;

    friend bool operator==(const CropZoom&, const CropZoom&) = default;
};

// The preview's size for a crop: as large as the proposal (at most 480 × 100; the maximum when not proposed)
// allows with the crop's aspect kept, and never above 8 points per pixel.
QSizeF cropIdealSize(QSizeF image, std::optional<double> proposedWidth, std::optional<double> proposedHeight);

// The scale at which the whole crop fits the bounds (at most 8); 1 when the bounds or the image are empty.
double cropFitScale(QSizeF bounds, QSizeF image);

// Per axis: an image smaller than the bounds is centred; a larger one cannot be moved to show a margin.
QPointF clampedCropOrigin(QPointF origin, double scale, QSizeF bounds, QSizeF image);

// Fitted and centred.
CropZoom fittedCrop(QSizeF bounds, QSizeF image);

// Zooming by a factor about a point of the view: the image point under it stays there. Unchanged for an empty
// image or a factor that is not a positive finite number.
CropZoom zoomedCrop(const CropZoom& current, double factor, QPointF point, QSizeF bounds, QSizeF image);

// After a resize: a fitted crop is fitted again; a zoomed one keeps the image point at the centre and its scale
// (raised to the new fitted scale when needed).
CropZoom resizedCrop(const CropZoom& current, QSizeF oldBounds, QSizeF newBounds, QSizeF image);

// Panning: the origin at the drag's start moved by its translation, clamped.
CropZoom pannedCrop(const CropZoom& current, QPointF panOrigin, QPointF translation, QSizeF bounds, QSizeF image);

// The zoom factor of a wheel turn: e raised to the delta (lines of a wheel × 0.1, pixels of a precise device ×
// 0.01) kept within ±4.
double cropWheelFactor(double delta, bool precise);

// Whether a drag has travelled far enough to pan instead of counting as a tap.
bool cropDragPans(QPointF translation);

} // namespace tavlen::ui
