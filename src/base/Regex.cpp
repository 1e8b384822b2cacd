#include "Regex.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <cstdint>
#include <limits>

namespace tavlen {

namespace {

bool fitsInt32(std::string_view text)
{
    return text.size() <= static_cast<std::size_t>(std::numeric_limits<int32_t>::max());
}

icu::UnicodeString toUnicode(std::string_view text)
{
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

} // namespace

Regex::Regex(std::shared_ptr<const icu::RegexPattern> pattern)
    : m_pattern(std::move(pattern))
{}

std::optional<Regex> Regex::compile(std::string_view pattern)
{
    if (!fitsInt32(pattern)) {
        return std::nullopt;
    }
    // Reject ill-formed UTF-8 rather than compiling a pattern that holds U+FFFD in its place.
    const icu::UnicodeString source = toUnicode(pattern);
    std::string roundTrip;
    source.toUTF8String(roundTrip);
    if (roundTrip != pattern) {
        return std::nullopt;
    }
    UParseError parseError{};
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexPattern> compiled(icu::RegexPattern::compile(source, 0, parseError, status));
    if (U_FAILURE(status) || compiled == nullptr) {
        return std::nullopt;
    }
    return Regex(std::shared_ptr<const icu::RegexPattern>(std::move(compiled)));
}

bool Regex::search(std::string_view text) const
{
    if (m_pattern == nullptr || !fitsInt32(text)) {
        return false;
    }
    const icu::UnicodeString input = toUnicode(text);
    UErrorCode status = U_ZERO_ERROR;
    // The pattern is shared and read-only; the matcher carries all search state and belongs to this call.
    std::unique_ptr<icu::RegexMatcher> matcher(m_pattern->matcher(input, status));
    if (U_FAILURE(status) || matcher == nullptr) {
        return false;
    }
    const bool found = matcher->find(status);
    return U_SUCCESS(status) && found;
}

} // namespace tavlen
