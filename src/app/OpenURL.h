#pragma once

#include <string_view>

namespace tavlen {

// A "tavlen" URL that asks for the main window: scheme exactly "tavlen" and host exactly "open" (as written),
// no query and no fragment; the path is not looked at.
bool isOpenURL(std::string_view url);

} // namespace tavlen
