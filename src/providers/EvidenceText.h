#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavlen {

// The words of text joined by single spaces: split at every Unicode whitespace character (line breaks
// included), empty pieces dropped. An all-whitespace text gives the empty string.
std::string collapseWhitespace(std::string_view text);

// The part of text that starts `start` UTF-16 code units in and is `length` units long, as the browser counts
// fragment ranges. A range reaching outside the text is cut to it, and a boundary inside a character moves to
// that character's start, so the result is always whole characters of the text.
std::string_view utf16Substring(std::string_view text, std::int64_t start, std::int64_t length);

} // namespace tavlen
