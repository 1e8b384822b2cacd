#include "OpenAIReadingService.h"

#include "OpenAIFailure.h"
#include "OpenAIReadingAnswer.h"
#include "OpenAIReadingRequest.h"
#include "OpenAIResponseCheck.h"
#include "PreparedPageEvidence.h"
#include "ProviderFailure.h"
#include "ReadingFailure.h"
#include "ReadingRequestSupport.h"
#include "ReadingTools.h"
#include "ReadingValidation.h"
#include "TransportText.h"

namespace tavlen {

OpenAIReadingService::OpenAIReadingService(std::shared_ptr<ProviderKeyStore> keyStore,
                                           std::shared_ptr<OpenAITransport> transport,
                                           OpenAIReadingLimits limits,
                                           const TimeSource& time)
    : m_keyStore(std::move(keyStore))
    , m_transport(std::move(transport))
    , m_limits(limits)
    , m_time(&time)
{}

QCoro::Task<std::vector<Reading>>
OpenAIReadingService::read(ReadingRequest request, UsageCallback onUsage, std::stop_token stop)
{
    if (request.selection.provider != ModelSelection::Provider::openAI) {
        throw OpenAIFailure(provider_code::unsupportedProvider, provider_text::openAIUnsupportedProvider, false);
    }
    request.selection.validate();
    validateReadingFields(request.fields);
    auto preparing = prepareKeyedRead(m_keyStore,
                                      ReadingFailure(provider_text::openAIMissingKey),
                                      std::move(request.screenshot),
                                      request.region,
                                      stop);
    const KeyedReadInputs inputs = co_await std::move(preparing);
    const PreparedPageEvidence& evidence = inputs.evidence;
    const std::string& apiKey = inputs.apiKey;

    const std::string fieldList = readingFieldListJSON(request.fields);
    const auto build = [&](std::string_view evidenceJSON) {
        return openAIReadingRequestBody(request.selection.modelIdentifier,
                                        request.fields,
                                        fieldList,
                                        evidence.png,
                                        evidenceJSON,
                                        m_limits.outputTokens);
    };
    std::optional<std::string> body = encodeReadingBody(build, evidence.treeJSON, m_limits.requestBytes);
    if (!body) {
        throw OpenAIFailure::requestTooLarge();
    }
    onUsage(ModelRequestReport::requestSent());
    const std::chrono::nanoseconds start = m_time->now(TimeSource::Clock::bootTime);
    std::string answer;
    try {
        auto sending = m_transport->send("responses",
                                         std::move(body),
                                         apiKey,
                                         m_limits.responseBytes,
                                         static_cast<double>(request.timeoutSeconds),
                                         stop);
        OpenAIHTTPResponse response = co_await std::move(sending);
        answer = checkOpenAIResponse(m_limits.responseBytes, response.status, std::move(response.body));
    } catch (const OpenAIFailure& failure) {
        if (failure.knownUnbilled()) {
            onUsage(ModelRequestReport::requestNotBilled());
        }
        throw;
    }

    try {
        const ProviderJSON parsed = ProviderJSON::parse(answer);
        if (std::optional<ModelUsage> usage = openAIUsage(parsed.member("usage"))) {
            usage->durationSeconds = secondsSince(*m_time, start);
            if (const std::optional<ProviderJSON> model = parsed.member("model"); model && model->asString()) {
                usage->reportedModel = *model->asString();
            }
            onUsage(ModelRequestReport::usage(std::move(*usage)));
        }
    } catch (const ProviderFailure&) {
        // Without readable usage the request stays counted as sent; the readings below fail on the same body.
    }
    throwIfStopped(stop);
    try {
        co_return openAIReadings(answer, request.fields);
    } catch (const ReadingFailure&) {
        throw;
    } catch (...) {
        throw ReadingFailure::invalidReadings();
    }
}

} // namespace tavlen
