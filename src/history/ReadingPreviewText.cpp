#include "ReadingPreviewText.h"

#include "Utf8.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace tavlen {

namespace {

constexpr std::size_t longestUncut = 200;
constexpr std::string_view ellipsis = "\u2026";

// The byte offsets where the first characters begin, and where the last of them ends: at most limit + 1 of them.
std::vector<std::size_t> characterBoundaries(std::string_view text, std::size_t limit)
{
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<std::int64_t>(text.size()), &status);
    const std::unique_ptr<UText, decltype(&utext_close)> owned(utext, &utext_close);
    std::unique_ptr<icu::BreakIterator> characters(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    std::vector<std::size_t> boundaries{0};
    if (U_FAILURE(status)) {
        // Without break rules every code point counts as a character.
        for (std::size_t i = 1; i <= text.size() && boundaries.size() <= limit; ++i) {
            if (i == text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
                boundaries.push_back(i);
            }
        }
        return boundaries;
    }
    characters->setText(utext, status);
    for (std::int32_t next = characters->next(); next != icu::BreakIterator::DONE && boundaries.size() <= limit;
         next = characters->next()) {
        boundaries.push_back(static_cast<std::size_t>(next));
    }
    return boundaries;
}

bool startsWithWhitespace(std::string_view character)
{
    const std::u32string scalars = decodeUTF8(character.substr(0, 4));
    return !scalars.empty() && u_isUWhiteSpace(static_cast<UChar32>(scalars.front()));
}

} // namespace

std::string readingPreviewText(std::string_view text)
{
    std::vector<std::size_t> boundaries = characterBoundaries(text, longestUncut + 1);
    const bool isCut = boundaries.size() - 1 > longestUncut;
    if (isCut) {
        boundaries.resize(longestUncut); // the first 199 characters
    }
    std::string preview;
    preview.reserve(boundaries.back() + ellipsis.size());
    for (std::size_t i = 0; i + 1 < boundaries.size(); ++i) {
        const std::string_view character = text.substr(boundaries[i], boundaries[i + 1] - boundaries[i]);
        if (startsWithWhitespace(character)) {
            preview += ' ';
        } else {
            preview += character;
        }
    }
    if (isCut) {
        preview += ellipsis;
    }
    return preview;
}

} // namespace tavlen
