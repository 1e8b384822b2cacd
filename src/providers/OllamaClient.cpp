#include "OllamaClient.h"

#include "LocalizedStandardOrder.h"
#include "MonitorStoreError.h"
#include "OllamaFailures.h"
#include "ProviderJSON.h"
#include "Utf8.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace tavlen {

namespace {

constexpr std::int64_t responseLimit = 2'097'152;

// "size" when it is a number from 0 up to (not including) 2^63, without its fraction; 0 otherwise.
std::int64_t sizeOf(const ProviderJSON& item)
{
    const std::optional<double> size = item.member("size").value_or(ProviderJSON()).asNumber();
    if (!size || !(*size >= 0) || !(*size < 9223372036854775808.0)) {
        return 0;
    }
    return static_cast<std::int64_t>(std::trunc(*size));
}

} // namespace

OllamaClient::OllamaClient(std::shared_ptr<OllamaTransport> transport)
    : m_transport(std::move(transport))
{}

QCoro::Task<std::vector<DiscoveredModel>> OllamaClient::listModels(std::string host, std::stop_token stop) const
{
    const std::string origin = ModelSelection::normalizedOllamaHost(host);
    auto sending = m_transport->send(origin, "tags", std::nullopt, responseLimit, listingTimeoutSeconds, stop);
    const std::string body = co_await std::move(sending);
    const ProviderJSON listing = ProviderJSON::parse(body);
    const std::optional<ProviderJSON> models = listing.member("models");
    if (!models || !models->asArray()) {
        throw ProviderFailure::invalidProviderResponse();
    }
    std::vector<DiscoveredModel> found;
    std::set<std::string> seenNames;
    for (const ProviderJSON& item : *models->asArray()) {
        const ProviderJSON::Object* members = item.asObject();
        const std::optional<ProviderJSON> name = item.member("name");
        if (members == nullptr || members->empty() || !name || !name->asString()) {
            continue;
        }
        if (!seenNames.insert(*name->asString()).second) {
            continue;
        }
        DiscoveredModel model;
        model.selection = ModelSelection{ModelSelection::Provider::ollama, *name->asString(), origin};
        try {
            model.selection.validate();
        } catch (const MonitorStoreError&) {
            continue;
        }
        if (const std::optional<ProviderJSON> digest = item.member("digest"); digest && digest->asString()) {
            model.digest = *digest->asString();
        }
        model.bytes = sizeOf(item);
        const std::optional<ProviderJSON> level =
            item.member("details").value_or(ProviderJSON()).member("quantization_level");
        if (level && level->asString()) {
            model.quantization = *level->asString();
        }
        found.push_back(std::move(model));
    }
    const LocalizedStandardOrder order;
    std::stable_sort(found.begin(), found.end(), [&order](const DiscoveredModel& a, const DiscoveredModel& b) {
        return order(a.selection.modelIdentifier, b.selection.modelIdentifier);
    });
    co_return found;
}

QCoro::Task<DiscoveredModel> OllamaClient::resolveModel(ModelSelection selection, std::stop_token stop) const
{
    selection.validate();
    auto listing = listModels(selection.ollamaHost.value_or(std::string()), stop);
    const std::vector<DiscoveredModel> models = co_await std::move(listing);
    for (const DiscoveredModel& model : models) {
        if (model.selection.provider == selection.provider &&
            textEqual(model.selection.modelIdentifier, selection.modelIdentifier) && model.selection.ollamaHost &&
            selection.ollamaHost && textEqual(*model.selection.ollamaHost, *selection.ollamaHost)) {
            co_return model;
        }
    }
    throw ollamaModelMissingFailure();
}

} // namespace tavlen
