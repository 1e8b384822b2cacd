#pragma once

#include <unicode/uversion.h>

#include <memory>
#include <string_view>

U_NAMESPACE_BEGIN
class Collator;
U_NAMESPACE_END

namespace tavlen {

// The collator of the user's locale, or null when ICU has none. The POSIX locale names no language and its
// collation orders by code point (capitals first), so it gets the root collation instead.
std::unique_ptr<icu::Collator> makeUserCollator();

// Negative, zero or positive; byte order of the UTF-8 texts without a collator or when collation fails.
int collateUTF8(const icu::Collator* collator, std::string_view a, std::string_view b);

} // namespace tavlen
