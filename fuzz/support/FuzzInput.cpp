#include "FuzzInput.h"

#include <cstdio>
#include <cstdlib>

namespace tavlen::fuzz {

void require(bool holds, std::string_view what, const char* file, int line)
{
    if (holds) {
        return;
    }
    std::fprintf(stderr, "%s:%d: property failed: %.*s\n", file, line, static_cast<int>(what.size()), what.data());
    std::abort();
}

} // namespace tavlen::fuzz
