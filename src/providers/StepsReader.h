#pragma once

#include "BrowserRect.h"
#include "ModelRequestReport.h"
#include "ModelSelection.h"
#include "Reading.h"
#include "ReadingField.h"

#include <QCoroTask>

#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <vector>

namespace tavlen {

class StepsScreenshot;

// What answers a Read step: the reading router, and each provider's reader behind it.
class StepsReader
{
public:
    using UsageCallback = std::function<void(const ModelRequestReport&)>;

    virtual ~StepsReader() = default;

    // Reads the fields from the region of the screenshot (the Read step's rectangle in image pixels, as
    // stored) with the selected model, sending one model request limited to timeoutSeconds. Gives one reading
    // per field in field order, as validateReadings returns them. Reports each event of the request to onUsage,
    // on the main thread, only while the read runs. Throws ReadingFailure or ProviderFailure (the OpenAI reader
    // its own failure), CancelledError once stop is requested.
    virtual QCoro::Task<std::vector<Reading>> read(ModelSelection selection,
                                                   std::int64_t timeoutSeconds,
                                                   std::vector<ReadingField> fields,
                                                   std::shared_ptr<const StepsScreenshot> screenshot,
                                                   BrowserRect region,
                                                   UsageCallback onUsage,
                                                   std::stop_token stop) = 0;
};

} // namespace tavlen
