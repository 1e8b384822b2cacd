#include "Utf8.h"

#include <unicode/bytestream.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>

#include <cstdint>
#include <limits>
#include <optional>

namespace tavlen {

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

struct DecodedScalar
{
    char32_t scalar = replacementCharacter;
    std::size_t length = 1; // bytes consumed; for an ill-formed sequence, its maximal well-formed prefix (>= 1)
    bool isValid = false;
};

// Decodes the scalar starting at text[pos] (pos < size) following the well-formed byte table of Unicode 3.9.
DecodedScalar decodeAt(std::string_view text, std::size_t pos) noexcept
{
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byteAt(pos);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    std::size_t count = 0;
    char32_t scalar = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        count = 1;
        scalar = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        count = 2;
        scalar = lead & 0x0F;
        if (lead == 0xE0) {
            low = 0xA0; // no overlong forms
        } else if (lead == 0xED) {
            high = 0x9F; // no surrogates
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        count = 3;
        scalar = lead & 0x07;
        if (lead == 0xF0) {
            low = 0x90;
        } else if (lead == 0xF4) {
            high = 0x8F; // nothing above U+10FFFF
        }
    } else {
        return {};
    }
    std::size_t consumed = 1;
    for (std::size_t i = 0; i < count; ++i) {
        if (pos + consumed >= text.size()) {
            return {replacementCharacter, consumed, false};
        }
        const unsigned char next = byteAt(pos + consumed);
        if (next < low || next > high) {
            return {replacementCharacter, consumed, false};
        }
        low = 0x80;
        high = 0xBF;
        scalar = (scalar << 6) | (next & 0x3F);
        ++consumed;
    }
    return {scalar, consumed, true};
}

// Length of the longest prefix of the text that is valid UTF-8.
std::size_t validPrefixLength(std::string_view text) noexcept
{
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const DecodedScalar decoded = decodeAt(text, pos);
        if (!decoded.isValid) {
            return pos;
        }
        pos += decoded.length;
    }
    return pos;
}

bool isContinuationByte(char byte) noexcept
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

const icu::Normalizer2* nfcInstance() noexcept
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
    return U_SUCCESS(status) ? normalizer : nullptr;
}

// The NFC form of the text: the text itself when it is already normalised, else `buffer` filled with it. Nothing
// when the text is not valid UTF-8 or ICU fails.
std::optional<std::string_view> normalizedView(std::string_view text, std::string& buffer)
{
    if (isASCII(text)) {
        return text;
    }
    if (!isValidUTF8(text) || text.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
        return std::nullopt;
    }
    const icu::Normalizer2* normalizer = nfcInstance();
    if (normalizer == nullptr) {
        return std::nullopt;
    }
    const icu::StringPiece piece(text.data(), static_cast<int32_t>(text.size()));
    UErrorCode status = U_ZERO_ERROR;
    if (normalizer->isNormalizedUTF8(piece, status) && U_SUCCESS(status)) {
        return text;
    }
    status = U_ZERO_ERROR;
    buffer.clear();
    icu::StringByteSink<std::string> sink(&buffer, static_cast<int32_t>(text.size()));
    normalizer->normalizeUTF8(0, piece, sink, nullptr, status);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    return std::string_view(buffer);
}

} // namespace

bool utf8Equal(std::string_view a, std::string_view b) noexcept
{
    return a == b;
}

bool textEqual(std::string_view a, std::string_view b)
{
    if (a == b) {
        return true;
    }
    return textCompare(a, b) == 0;
}

int textCompare(std::string_view a, std::string_view b)
{
    if (a == b) {
        return 0;
    }
    std::string bufferA;
    std::string bufferB;
    // A text ICU cannot normalise (invalid UTF-8) compares by its own bytes.
    const std::string_view left = normalizedView(a, bufferA).value_or(a);
    const std::string_view right = normalizedView(b, bufferB).value_or(b);
    const int order = left.compare(right);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

bool isASCII(std::string_view text) noexcept
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

std::string normalizedNFC(std::string_view text)
{
    std::string buffer;
    return std::string(normalizedView(text, buffer).value_or(text));
}

std::string truncateUTF8(std::string_view text, std::size_t maxBytes)
{
    // The longest valid prefix of the first maxBytes bytes: a character cut by the limit is dropped whole, and
    // so is everything from the first ill-formed byte on.
    return std::string(text.substr(0, validPrefixLength(text.substr(0, maxBytes))));
}

bool isValidUTF8(std::string_view text) noexcept
{
    return validPrefixLength(text) == text.size();
}

bool isWhitespace(char32_t c) noexcept
{
    return c == U'\t' || u_charType(static_cast<UChar32>(c)) == U_SPACE_SEPARATOR;
}

bool isWhitespaceOrNewline(char32_t c) noexcept
{
    if ((c >= 0x09 && c <= 0x0D) || c == 0x85) {
        return true;
    }
    const int8_t type = u_charType(static_cast<UChar32>(c));
    return type == U_SPACE_SEPARATOR || type == U_LINE_SEPARATOR || type == U_PARAGRAPH_SEPARATOR;
}

bool isControlCharacter(char32_t c) noexcept
{
    const int8_t type = u_charType(static_cast<UChar32>(c));
    return type == U_CONTROL_CHAR || type == U_FORMAT_CHAR;
}

std::string_view trimWhitespaceAndNewlines(std::string_view text) noexcept
{
    std::size_t begin = 0;
    while (begin < text.size()) {
        const DecodedScalar decoded = decodeAt(text, begin);
        if (!decoded.isValid || !isWhitespaceOrNewline(decoded.scalar)) {
            break;
        }
        begin += decoded.length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        std::size_t start = end - 1;
        while (start > begin && end - start < 4 && isContinuationByte(text[start])) {
            --start;
        }
        const DecodedScalar decoded = decodeAt(text, start);
        if (!decoded.isValid || start + decoded.length != end || !isWhitespaceOrNewline(decoded.scalar)) {
            break;
        }
        end = start;
    }
    return text.substr(begin, end - begin);
}

std::u32string decodeUTF8(std::string_view text)
{
    std::u32string scalars;
    scalars.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const DecodedScalar decoded = decodeAt(text, pos);
        scalars.push_back(decoded.scalar);
        pos += decoded.length;
    }
    return scalars;
}

} // namespace tavlen
