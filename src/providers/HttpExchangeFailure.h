#pragma once

#include <stdexcept>

namespace tavlen {

// Why exchangeHttp gave no answer; each transport maps it to its provider's failure.
class HttpExchangeFailure : public std::runtime_error
{
public:
    enum class Kind
    {
        tooLarge, // the announced length or the bytes received went over the byte limit
        timedOut, // the time-out passed before the answer was complete
        network,  // no connection, name resolution, TLS, a connection cut before the answer was complete
        notHttp,  // something answered that is not an HTTP response
    };

    explicit HttpExchangeFailure(Kind kind);

    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

} // namespace tavlen
