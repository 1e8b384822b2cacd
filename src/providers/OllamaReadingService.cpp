#include "OllamaReadingService.h"

#include "OllamaChat.h"
#include "OllamaFailures.h"
#include "PreparedPageEvidence.h"
#include "ProviderFailure.h"
#include "ReadingRequestSupport.h"
#include "ReadingTools.h"
#include "ReadingValidation.h"
#include "TransportText.h"

namespace tavlen {

OllamaReadingService::OllamaReadingService(OllamaClient client, const TimeSource& time)
    : m_client(std::move(client))
    , m_time(&time)
{}

QCoro::Task<std::vector<Reading>>
OllamaReadingService::read(ReadingRequest request, UsageCallback onUsage, std::stop_token stop)
{
    if (request.selection.provider != ModelSelection::Provider::ollama || !request.selection.ollamaHost) {
        throw ollamaUnsupportedModelFailure();
    }
    validateReadingFields(request.fields);
    auto resolving = m_client.resolveModel(request.selection, stop);
    DiscoveredModel model = co_await std::move(resolving);
    onUsage(ModelRequestReport::model(std::move(model)));
    throwIfStopped(stop);
    auto preparing = PreparedPageEvidence::prepare(request.screenshot, request.region);
    const PreparedPageEvidence evidence = co_await std::move(preparing);

    const ProviderJSON schema = ollamaFormatSchema(request.fields);
    const std::string fieldList = readingFieldListJSON(request.fields);
    const auto build = [&](std::string_view evidenceJSON) {
        return ollamaChatBody(request.selection.modelIdentifier, schema, fieldList, evidence.png, evidenceJSON);
    };
    std::optional<std::string> body = encodeReadingBody(build, evidence.treeJSON, requestByteLimit);
    if (!body) {
        throw ProviderFailure(provider_code::requestLimit, provider_text::ollamaRequestLimit, false);
    }
    throwIfStopped(stop);
    onUsage(ModelRequestReport::requestSent());
    const std::chrono::nanoseconds start = m_time->now(TimeSource::Clock::bootTime);
    auto sending = m_client.transport()->send(*request.selection.ollamaHost,
                                              "chat",
                                              std::move(body),
                                              responseByteLimit,
                                              static_cast<double>(request.timeoutSeconds),
                                              stop);
    const std::string answer = co_await std::move(sending);
    try {
        ModelUsage usage = ollamaUsage(ProviderJSON::parse(answer));
        usage.durationSeconds = secondsSince(*m_time, start);
        onUsage(ModelRequestReport::usage(std::move(usage)));
    } catch (const ProviderFailure&) {
        // Not JSON: nothing to report, and the answer below fails on the same body.
    }
    throwIfStopped(stop);
    co_return parseOllamaChatResponse(answer, request.fields, request.selection.modelIdentifier);
}

} // namespace tavlen
