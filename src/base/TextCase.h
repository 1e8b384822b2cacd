#pragma once

#include <string>
#include <string_view>

namespace tavlen {

// The Unicode default lower-case mapping of UTF-8 text, the same in every locale ("İ" becomes "i̇" in Turkish
// too). Ill-formed sequences become U+FFFD.
std::string lowercasedText(std::string_view text);

// True when part occurs in text with both compared under Unicode default case folding, without locale rules
// ("STRASSE" contains "straße"). An empty part occurs in every text.
bool containsIgnoringCase(std::string_view text, std::string_view part);

} // namespace tavlen
