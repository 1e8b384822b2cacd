#pragma once

#include "ModelRequestReport.h"
#include "Reading.h"
#include "ReadingRequest.h"

#include <QCoroTask>

#include <functional>
#include <stop_token>
#include <vector>

namespace tavlen {

// What answers a Read step: the reading router, and each provider's reader behind it.
class StepsReader
{
public:
    using UsageCallback = std::function<void(const ModelRequestReport&)>;

    virtual ~StepsReader() = default;

    // Reads the request's fields from the region of its screenshot with the selected model, sending one model
    // request limited to its timeoutSeconds. Gives one reading per field in field order, as validateReadings
    // returns them. Reports each event of the request to onUsage, on the main thread, only while the read runs. Throws
    // ReadingFailure or ProviderFailure (the OpenAI reader its own failure), CancelledError once stop is requested.
    virtual QCoro::Task<std::vector<Reading>>
    read(ReadingRequest request, UsageCallback onUsage, std::stop_token stop) = 0;
};

} // namespace tavlen
