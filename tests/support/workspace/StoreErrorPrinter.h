#pragma once

#include "MonitorStoreError.h"

#include <ostream>

namespace tavlen {

// Failed expectations show an error's case and sentence instead of its bytes. Every test file of this program that
// compares storage errors includes it, so they all print them alike.
inline void PrintTo(const MonitorStoreError& error, std::ostream* out)
{
    *out << static_cast<int>(error.kind()) << " \"" << error.what() << "\"";
}

} // namespace tavlen
