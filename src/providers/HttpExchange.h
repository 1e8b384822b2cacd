#pragma once

#include "HttpExchangeFailure.h"
#include "HttpExchangeRequest.h"

#include <QCoroTask>

#include <stop_token>

namespace tavlen {

// Sends one request with a client of its own that keeps nothing: no cookies sent or stored, no cache, no stored
// credentials, redirects not followed (a 3xx answer is returned like any other), nothing reused by a later
// exchange. The body is collected as it streams in and refused as soon as it would pass the byte limit, or at
// once when the announced length already does, so no more than the limit is ever held. Gives the status and
// the body for every complete HTTP answer, whatever its status.
// Throws CancelledError when stop is requested (whatever else went wrong; the request is aborted at once),
// else HttpExchangeFailure. Runs on the calling thread's event loop; the network work runs on Qt's own thread.
QCoro::Task<HttpExchangeResponse> exchangeHttp(HttpExchangeRequest request, std::stop_token stop);

} // namespace tavlen
