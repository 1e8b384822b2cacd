#pragma once

#include <string>
#include <string_view>

namespace tavlen {

// The one-line preview of a text reading, counted in user-perceived characters (grapheme clusters): every
// character whose first code point is white space (a CR LF pair is one character) becomes one space, nothing is
// collapsed or trimmed, and a text of more than 200 characters is cut to its first 199 and "…".
std::string readingPreviewText(std::string_view text);

} // namespace tavlen
