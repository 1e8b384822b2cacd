#pragma once

#include "BrowserRect.h"
#include "Png.h"

#include <QImage>

#include <optional>
#include <string>

namespace tavlen::ui {

// The part of a screenshot under a region, for a preview: the region clamped to the image and rounded outwards
// to whole pixels. None when the region does not clamp to at least a pixel square. Reads only its arguments, so
// it runs on any thread.
std::optional<QImage> cropForPreview(const RgbaImage& image, const BrowserRect& region);

} // namespace tavlen::ui
