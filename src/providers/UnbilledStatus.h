#pragma once

#include <cstdint>

namespace tavlen {

// Whether the providers are known not to bill a request they refused with this HTTP status: the client's own
// faults, 400 to 499, except a request time-out (408).
inline bool isUnbilledStatus(std::int64_t status)
{
    return status >= 400 && status <= 499 && status != 408;
}

} // namespace tavlen
