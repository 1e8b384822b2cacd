#pragma once

#include "HttpExchangeRequest.h"

#include <string>
#include <string_view>

namespace tavlen {

// The one way a provider request reaches the log: method, URL and header names, with the values of
// "Authorization", "x-api-key" and "x-goog-api-key" (any letter case) and of every "key" query item replaced
// by "<redacted>", and the body's size only.
std::string describeHttpRequest(const HttpExchangeRequest& request);

// A text that may quote a URL (an error text of the HTTP client) with every "key=" value redacted.
std::string redactKeys(std::string_view text);

} // namespace tavlen
