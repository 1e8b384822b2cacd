#pragma once

#include "Png.h"

namespace tavlen {

// What an Open page step holds of its latest capture. The step model only keeps it, passes it on and compares
// identities; whoever captures pages makes it (the workspace's StepsScreenshot). Immutable once made and shared by
// reference; safe to read from any thread.
class StepsCapture
{
public:
    virtual ~StepsCapture() = default;

    // The full-page bitmap; regions of Read steps are in its pixel space.
    virtual const RgbaImage& image() const = 0;

protected:
    StepsCapture() = default;
    StepsCapture(const StepsCapture&) = default;
    StepsCapture& operator=(const StepsCapture&) = default;
};

} // namespace tavlen
