#include "FuzzInput.h"

#include <cstdio>
#include <cstdlib>

namespace tavlen::fuzz {

void require(bool holds, std::string_view what, std::source_location where)
{
    if (holds) {
        return;
    }
    std::fprintf(stderr,
                 "%s:%u: property failed: %.*s\n",
                 where.file_name(),
                 static_cast<unsigned>(where.line()),
                 static_cast<int>(what.size()),
                 what.data());
    std::abort();
}

} // namespace tavlen::fuzz
