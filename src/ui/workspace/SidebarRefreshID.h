#pragma once

#include "Uuid.h"

#include <cstdint>
#include <vector>

namespace tavlen::ui {

// The key of the sidebar summary refresh: the listed monitors in order, the saved-Steps revision and the
// stored-checks revision. A new key (a reorder, an added or removed monitor, saved Steps, a stored or deleted
// check) reads the summaries again.
struct SidebarRefreshID
{
    std::vector<Uuid> monitors;
    std::int64_t steps = 0;
    std::int64_t checks = 0;

    friend bool operator==(const SidebarRefreshID&, const SidebarRefreshID&) = default;
};

} // namespace tavlen::ui
