#include "CloudModelClient.h"

#include "CancelledError.h"
#include "CloudFailures.h"
#include "LocalizedStandardOrder.h"
#include "MonitorStoreError.h"
#include "ProviderJSON.h"

#include <algorithm>
#include <optional>
#include <set>
#include <unordered_set>

namespace tavlen {

namespace {

constexpr std::int64_t pageByteLimit = 2'097'152;
constexpr std::int64_t listingByteLimit = 16'777'216;
constexpr int largestPageCount = 100;

struct Page
{
    ProviderJSON::Array items;
    std::optional<std::string> nextToken;
};

Page anthropicPage(const ProviderJSON& body)
{
    const auto data = body.member("data");
    const auto hasMore = body.member("has_more");
    if (!data || !data->asArray() || !hasMore || !hasMore->asBool()) {
        throw invalidResponseFailure(ModelSelection::Provider::anthropic);
    }
    Page page{*data->asArray(), std::nullopt};
    if (*hasMore->asBool()) {
        const auto lastID = body.member("last_id");
        if (!lastID || !lastID->asString() || lastID->asString()->empty()) {
            throw invalidResponseFailure(ModelSelection::Provider::anthropic);
        }
        page.nextToken = *lastID->asString();
    }
    return page;
}

Page geminiPage(const ProviderJSON& body)
{
    const auto models = body.member("models");
    const auto nextToken = body.member("nextPageToken");
    if (!body.asObject() || (models && !models->asArray()) || (nextToken && !nextToken->asString())) {
        throw invalidResponseFailure(ModelSelection::Provider::gemini);
    }
    Page page;
    if (models) {
        page.items = *models->asArray();
    }
    if (nextToken && !nextToken->asString()->empty()) {
        page.nextToken = *nextToken->asString();
    }
    return page;
}

// The selection an item of the listing names, or nothing for an item that is passed over.
std::optional<ModelSelection> selectionOf(ModelSelection::Provider provider, const ProviderJSON& item)
{
    const bool isGemini = provider == ModelSelection::Provider::gemini;
    if (isGemini) {
        const auto methods = item.member("supportedGenerationMethods");
        const ProviderJSON::Array* list = methods ? methods->asArray() : nullptr;
        if (list == nullptr || std::none_of(list->begin(), list->end(), [](const ProviderJSON& method) {
                return method.asString() && *method.asString() == "generateContent";
            })) {
            return std::nullopt;
        }
    }
    const auto identifier = item.member(isGemini ? "name" : "id");
    if (!identifier || !identifier->asString()) {
        return std::nullopt;
    }
    std::string name = *identifier->asString();
    if (isGemini && name.starts_with("models/")) {
        name.erase(0, 7);
    }
    ModelSelection selection{provider, std::move(name), std::nullopt};
    try {
        selection.validate();
    } catch (const MonitorStoreError&) {
        return std::nullopt;
    }
    return selection;
}

} // namespace

CloudModelClient::CloudModelClient(std::shared_ptr<CloudTransport> transport, const TimeSource& time)
    : m_transport(std::move(transport))
    , m_time(&time)
{}

QCoro::Task<std::vector<ModelSelection>>
CloudModelClient::listModels(ModelSelection::Provider provider, std::string apiKey, std::stop_token stop) const
{
    const std::chrono::nanoseconds deadline = m_time->now(TimeSource::Clock::bootTime) + listingTimeLimit;
    if (stop.stop_requested()) {
        throw CancelledError();
    }
    std::optional<std::string> token;
    int pagesDone = 0;
    std::int64_t bytesCounted = 0;
    std::set<std::string> seenTokens;
    std::unordered_set<ModelSelection> models;
    while (true) {
        const std::chrono::nanoseconds left = deadline - m_time->now(TimeSource::Clock::bootTime);
        if (left <= std::chrono::nanoseconds::zero()) {
            throw modelTimeoutFailure();
        }
        auto sending = m_transport->send(provider,
                                         CloudRequest::models(token),
                                         apiKey,
                                         pageByteLimit,
                                         std::chrono::duration<double>(left).count(),
                                         stop);
        CloudHTTPResponse response = co_await std::move(sending);
        const std::string body = cloudStatusFailure(provider, pageByteLimit, response.status, std::move(response.body));
        if (bytesCounted + static_cast<std::int64_t>(body.size()) > listingByteLimit) {
            throw budgetExceededFailure(provider);
        }
        const ProviderJSON parsed = ProviderJSON::parse(body);
        const Page page = provider == ModelSelection::Provider::anthropic ? anthropicPage(parsed) : geminiPage(parsed);
        for (const ProviderJSON& item : page.items) {
            if (std::optional<ModelSelection> selection = selectionOf(provider, item)) {
                models.insert(std::move(*selection));
            }
        }
        if (stop.stop_requested()) {
            throw CancelledError();
        }
        if (!page.nextToken) {
            break;
        }
        if (!seenTokens.insert(*page.nextToken).second) {
            throw invalidResponseFailure(provider);
        }
        if (pagesDone + 1 == largestPageCount) {
            throw budgetExceededFailure(provider);
        }
        ++pagesDone;
        bytesCounted += static_cast<std::int64_t>(body.size());
        token = page.nextToken;
    }
    std::vector<ModelSelection> sorted(models.begin(), models.end());
    const LocalizedStandardOrder order;
    std::sort(sorted.begin(), sorted.end(), [&order](const ModelSelection& a, const ModelSelection& b) {
        return order(a.modelIdentifier, b.modelIdentifier);
    });
    co_return sorted;
}

} // namespace tavlen
