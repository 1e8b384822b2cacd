#include "OpenAIResponseCheck.h"

#include "OpenAIFailure.h"
#include "ProviderFailure.h"
#include "ProviderJSON.h"

namespace tavlen {

namespace {

// The member "code" of the member "error" when it is a string; empty for a body that does not parse.
std::string errorCodeOf(const std::string& body)
{
    try {
        const std::optional<ProviderJSON> code =
            ProviderJSON::parse(body).member("error").value_or(ProviderJSON()).member("code");
        if (code && code->asString()) {
            return *code->asString();
        }
    } catch (const ProviderFailure&) {
    }
    return {};
}

} // namespace

std::string checkOpenAIResponse(std::int64_t byteLimit, std::int64_t status, std::string body)
{
    if (static_cast<std::int64_t>(body.size()) > byteLimit) {
        throw OpenAIFailure::responseTooLarge();
    }
    if (status >= 200 && status <= 299) {
        return body;
    }
    throw OpenAIFailure::forStatus(status, errorCodeOf(body));
}

} // namespace tavlen
