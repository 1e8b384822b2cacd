#include "TextCase.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tavlen {

namespace {

icu::UnicodeString unicodeOf(std::string_view text)
{
    // fromUTF8 takes an int32 length; texts beyond it are cut rather than wrapped around.
    const auto length = static_cast<std::int32_t>(
        std::min<std::size_t>(text.size(), static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())));
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), length));
}

} // namespace

std::string lowercasedText(std::string_view text)
{
    icu::UnicodeString unicode = unicodeOf(text);
    unicode.toLower(icu::Locale::getRoot());
    std::string result;
    unicode.toUTF8String(result);
    return result;
}

bool containsIgnoringCase(std::string_view text, std::string_view part)
{
    if (part.empty()) {
        return true;
    }
    icu::UnicodeString haystack = unicodeOf(text);
    icu::UnicodeString needle = unicodeOf(part);
    haystack.foldCase(U_FOLD_CASE_DEFAULT);
    needle.foldCase(U_FOLD_CASE_DEFAULT);
    return haystack.indexOf(needle) >= 0;
}

} // namespace tavlen
