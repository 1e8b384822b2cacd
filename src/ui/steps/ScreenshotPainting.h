#pragma once

#include "RegionEditingState.h"

#include <QPointF>
#include <QRect>
#include <QRectF>

#include <vector>

class QImage;
class QPainter;
class QPalette;

// Painting of the screenshot view, in viewport coordinates: the page sits at pageRect (the image magnified and
// placed), so on-screen sizes (lines, badges, handles, the shadow) are plain points at every zoom.
namespace tavlen::ui {

struct ScreenshotPaintContext
{
    QRectF pageRect;
    double magnification = 1;
    bool darkAppearance = false;
};

// The soft shadow under the page, only where it meets the exposed rectangle.
void paintPageShadow(QPainter& painter, const ScreenshotPaintContext& context, const QRect& exposed);

// The part of the image under the exposed rectangle, sampled straight from the decoded pixels: the cost follows
// the exposed area, never the image's size.
void paintImagePart(QPainter& painter,
                    const QImage& image,
                    const ScreenshotPaintContext& context,
                    const QRect& exposed);

// Dimming outside every displayed region (within the exposed rectangle), the page's hairline border, then each region
// with its badge and, when selected, its handles.
void paintRegions(QPainter& painter,
                  const std::vector<DisplayedRegion>& regions,
                  const ScreenshotPaintContext& context,
                  const QPalette& palette,
                  const QRect& exposed);

// An image rectangle in viewport coordinates.
QRectF viewportRect(const BrowserRect& imageRect, const ScreenshotPaintContext& context);

} // namespace tavlen::ui
