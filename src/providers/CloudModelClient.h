#pragma once

#include "CloudTransport.h"
#include "ModelSelection.h"
#include "TimeSource.h"

#include <QCoroTask>

#include <chrono>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

namespace tavlen {

// Lists the models an Anthropic or Gemini key may use, page by page, within one overall deadline.
class CloudModelClient
{
public:
    // The whole listing, every page included, on the boot-time clock.
    static constexpr std::chrono::seconds listingTimeLimit{15};

    explicit CloudModelClient(std::shared_ptr<CloudTransport> transport, const TimeSource& time = systemTime());

    // Every model of the listing once, sorted by identifier in the localized standard order. Gemini models that
    // cannot generate content are left out, and so is any entry that is not a valid selection. Throws
    // ProviderFailure: the transport's and the status failures; execution_timeout once the time limit has
    // passed; budget_exceeded past 16 MiB or 100 pages; invalid_provider_response for a page of the wrong shape, a
    // repeated page token or a page that is not JSON. CancelledError once stop is requested. No partial result.
    QCoro::Task<std::vector<ModelSelection>>
    listModels(ModelSelection::Provider provider, std::string apiKey, std::stop_token stop) const;

private:
    std::shared_ptr<CloudTransport> m_transport;
    const TimeSource* m_time;
};

} // namespace tavlen
