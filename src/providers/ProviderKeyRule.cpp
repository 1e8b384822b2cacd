#include "ProviderKeyRule.h"

#include "ProviderKeyError.h"
#include "Utf8.h"

#include <algorithm>

namespace tavlen {

std::string checkedProviderKey(std::string_view text)
{
    const std::string_view trimmed = trimWhitespaceAndNewlines(text);
    if (trimmed.empty()) {
        throw ProviderKeyError::empty();
    }
    if (!isValidUTF8(trimmed)) {
        throw ProviderKeyError::invalidCharacters();
    }
    const std::u32string scalars = decodeUTF8(trimmed);
    if (std::any_of(scalars.begin(), scalars.end(), [](char32_t c) {
            return isWhitespaceOrNewline(c) || isControlCharacter(c);
        })) {
        throw ProviderKeyError::invalidCharacters();
    }
    return std::string(trimmed);
}

} // namespace tavlen
