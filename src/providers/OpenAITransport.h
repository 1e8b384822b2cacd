#pragma once

#include <QCoroTask>

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>

namespace tavlen {

// A complete answer from OpenAI: any status, the body within the byte limit.
struct OpenAIHTTPResponse
{
    std::int64_t status = 0;
    std::string body;
};

// One HTTP exchange with the OpenAI API, for the reader ("responses") and the model listing ("models").
class OpenAITransport
{
public:
    virtual ~OpenAITransport() = default;

    // Sends path ("responses" with a body, POST; "models" without one, GET) with apiKey, and gives the answer of
    // at most responseByteLimit bytes, whatever its status. Gives up after timeoutSeconds. Throws OpenAIFailure
    // (invalid_provider_response for another path or a body that does not fit the path, execution_timeout for a
    // time-out that is not positive, budget_exceeded, provider_network); CancelledError once stop is requested.
    virtual QCoro::Task<OpenAIHTTPResponse> send(std::string path,
                                                 std::optional<std::string> body,
                                                 std::string apiKey,
                                                 std::int64_t responseByteLimit,
                                                 double timeoutSeconds,
                                                 std::stop_token stop) = 0;
};

} // namespace tavlen
