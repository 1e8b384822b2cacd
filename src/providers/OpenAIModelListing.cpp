#include "OpenAIModelListing.h"

#include "LocalizedStandardOrder.h"
#include "MonitorStoreError.h"
#include "OpenAIFailure.h"
#include "OpenAIResponseCheck.h"
#include "ProviderJSON.h"

#include <algorithm>
#include <optional>
#include <set>

namespace tavlen {

namespace {

// The selection an element of "data" names, or nothing for one that is passed over.
std::optional<ModelSelection> selectionOf(const ProviderJSON& element, std::set<std::string>& seen)
{
    const ProviderJSON::Object* members = element.asObject();
    const std::optional<ProviderJSON> id = element.member("id");
    if (members == nullptr || members->empty() || !id || !id->asString() || !seen.insert(*id->asString()).second) {
        return std::nullopt;
    }
    ModelSelection selection{ModelSelection::Provider::openAI, *id->asString(), std::nullopt};
    try {
        selection.validate();
    } catch (const MonitorStoreError&) {
        return std::nullopt;
    }
    return selection;
}

} // namespace

QCoro::Task<std::vector<ModelSelection>>
listOpenAIModels(OpenAITransport& transport, std::string apiKey, std::stop_token stop)
{
    auto sending = transport.send("models",
                                  std::nullopt,
                                  std::move(apiKey),
                                  openAIModelListingByteLimit,
                                  std::chrono::duration<double>(openAIModelListingTimeLimit).count(),
                                  stop);
    OpenAIHTTPResponse response = co_await std::move(sending);
    const ProviderJSON listing = ProviderJSON::parse(
        checkOpenAIResponse(openAIModelListingByteLimit, response.status, std::move(response.body)));
    const std::optional<ProviderJSON> data = listing.member("data");
    if (!data || !data->asArray()) {
        throw OpenAIFailure::invalidResponse();
    }
    std::vector<ModelSelection> models;
    std::set<std::string> seen;
    for (const ProviderJSON& element : *data->asArray()) {
        if (std::optional<ModelSelection> selection = selectionOf(element, seen)) {
            models.push_back(std::move(*selection));
        }
    }
    const LocalizedStandardOrder order;
    std::stable_sort(models.begin(), models.end(), [&order](const ModelSelection& a, const ModelSelection& b) {
        return order(a.modelIdentifier, b.modelIdentifier);
    });
    co_return models;
}

} // namespace tavlen
