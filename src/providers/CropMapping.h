#pragma once

#include "BrowserRect.h"

#include <cstdint>
#include <optional>

namespace tavlen {

// Rectangle arithmetic on standardised rectangles (a negative extent moves the origin).

// The overlap of a and b, or nothing when it has no positive width and height.
std::optional<BrowserRect> overlapOf(const BrowserRect& a, const BrowserRect& b);
// True when inner lies wholly inside outer.
bool containsRect(const BrowserRect& outer, const BrowserRect& inner);

// How page coordinates meet the pixels of a crop: the screenshot's image covers its content rectangle, so one
// page unit is imageWidth / contentRect.width pixels across and imageHeight / contentRect.height down.
class CropMapping
{
public:
    // Throws ReadingFailure::regionNotPrepared() when the content rectangle has no finite, positive size or
    // the scales it gives are not finite: no page coordinate could be placed on the crop.
    CropMapping(std::uint32_t imageWidth, std::uint32_t imageHeight, const BrowserRect& contentRect, BrowserRect crop);

    // The crop in page coordinates.
    const BrowserRect& cropInPage() const { return m_cropInPage; }

    // A page rectangle as a box in crop-image pixels, measured from the crop's top-left corner and rounded to one
    // decimal (halves away from zero); not clipped to the crop. Throws ReadingFailure::regionNotPrepared() when
    // a value overflows, so no box that JSON cannot hold is ever made.
    BrowserRect cropBounds(const BrowserRect& page) const;

private:
    double m_scaleX;
    double m_scaleY;
    BrowserRect m_content;
    BrowserRect m_crop;
    BrowserRect m_cropInPage;
};

} // namespace tavlen
