#include "CloudReadingService.h"

#include "CloudFailures.h"
#include "CloudReadingAnswer.h"
#include "CloudReadingRequest.h"
#include "FailureDescription.h"
#include "PreparedPageEvidence.h"
#include "ProvidersLog.h"
#include "ReadingFailure.h"
#include "ReadingRequestSupport.h"
#include "ReadingTools.h"
#include "ReadingValidation.h"

namespace tavlen {

CloudReadingService::CloudReadingService(ModelSelection::Provider provider,
                                         std::shared_ptr<ProviderKeyStore> keyStore,
                                         std::shared_ptr<CloudTransport> transport,
                                         CloudReadingLimits limits,
                                         const TimeSource& time)
    : m_provider(provider)
    , m_keyStore(std::move(keyStore))
    , m_transport(std::move(transport))
    , m_limits(limits)
    , m_time(&time)
{}

QCoro::Task<std::vector<Reading>>
CloudReadingService::read(ReadingRequest request, UsageCallback onUsage, std::stop_token stop)
{
    if (request.selection.provider != m_provider) {
        throw invalidResponseFailure(m_provider);
    }
    request.selection.validate();
    validateReadingFields(request.fields);
    auto preparing = prepareKeyedRead(
        m_keyStore, ReadingFailure::missingAPIKey(m_provider), std::move(request.screenshot), request.region, stop);
    const KeyedReadInputs inputs = co_await std::move(preparing);
    const PreparedPageEvidence& evidence = inputs.evidence;
    const std::string& apiKey = inputs.apiKey;

    const std::string fieldList = readingFieldListJSON(request.fields);
    const auto build = [&](std::string_view evidenceJSON) {
        return cloudReadingRequestBody(m_provider,
                                       request.selection.modelIdentifier,
                                       request.fields,
                                       fieldList,
                                       evidence.png,
                                       evidenceJSON,
                                       m_limits.outputTokens);
    };
    std::optional<std::string> body = encodeReadingBody(build, evidence.treeJSON, m_limits.requestBytes);
    if (!body) {
        throw budgetExceededFailure(m_provider);
    }
    onUsage(ModelRequestReport::requestSent());
    const std::chrono::nanoseconds start = m_time->now(TimeSource::Clock::bootTime);
    std::string answer;
    try {
        auto sending = m_transport->send(m_provider,
                                         CloudRequest::generate(request.selection.modelIdentifier, std::move(*body)),
                                         apiKey,
                                         m_limits.responseBytes,
                                         static_cast<double>(request.timeoutSeconds),
                                         stop);
        CloudHTTPResponse response = co_await std::move(sending);
        answer = cloudStatusFailure(m_provider, m_limits.responseBytes, response.status, std::move(response.body));
    } catch (const ProviderFailure& failure) {
        if (failure.knownUnbilled()) {
            onUsage(ModelRequestReport::requestNotBilled());
        }
        throw;
    }

    try {
        if (std::optional<ModelUsage> usage = cloudUsage(m_provider, ProviderJSON::parse(answer))) {
            usage->durationSeconds = secondsSince(*m_time, start);
            onUsage(ModelRequestReport::usage(std::move(*usage)));
        }
    } catch (const ProviderFailure&) {
        // No usage to report; the readings below fail on the same body.
    }
    throwIfStopped(stop);
    try {
        co_return cloudReadings(m_provider, ProviderJSON::parse(answer), request.fields);
    } catch (const ReadingFailure& failure) {
        // The model's own report that it cannot read a field reaches the user; any other answer is the
        // provider's invalid response.
        if (!(failure == ReadingFailure::invalidReadings())) {
            throw;
        }
    } catch (const ProviderFailure&) {
        // An answer that is no JSON document: the provider's invalid response.
    } catch (...) {
        qCWarning(providersLog) << "reading the provider's answer failed:"
                                << describeFailure(std::current_exception()).c_str();
    }
    throw invalidResponseFailure(m_provider);
}

} // namespace tavlen
