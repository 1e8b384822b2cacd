#pragma once

#include <string>
#include <string_view>

namespace tavlen {

// The rule every API key obeys, on saving and on reading back: white space and line breaks at both ends are
// dropped; nothing may be left empty (ProviderKeyError::empty()); what is left may hold no white space, line
// break, control or format character and must be valid UTF-8 (ProviderKeyError::invalidCharacters()).
// Gives the trimmed key.
std::string checkedProviderKey(std::string_view text);

} // namespace tavlen
