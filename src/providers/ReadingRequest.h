#pragma once

#include "BrowserRect.h"
#include "ModelSelection.h"
#include "ReadingField.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tavlen {

class StepsScreenshot;

// What a Read step asks of a model: the fields to read from one region of a screenshot, with the selected model,
// in one request limited to timeoutSeconds.
struct ReadingRequest
{
    ModelSelection selection;
    std::int64_t timeoutSeconds = 0;
    std::vector<ReadingField> fields;
    std::shared_ptr<const StepsScreenshot> screenshot;
    BrowserRect region; // the Read step's rectangle in image pixels, as stored
};

} // namespace tavlen
