#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavlen {

// The one test of what counts as a page address: the trimmed text when it parses as an http or https URL with a
// non-empty host (the scheme's case kept), nothing otherwise.
std::optional<std::string> pageURL(std::string_view text);

} // namespace tavlen
