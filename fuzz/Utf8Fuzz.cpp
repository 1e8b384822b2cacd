// The UTF-8 helpers against a plain decoder written from the definition of UTF-8, and the laws they promise:
// truncation keeps valid prefixes, normalisation is idempotent, equality and order agree.
#include "FuzzInput.h"
#include "Utf8.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <optional>
#include <string>

using namespace tavlen;

namespace {

// Decodes by the table of well-formed byte sequences (Unicode, table 3-7); ill-formed input gives nothing.
std::optional<std::u32string> referenceDecode(std::string_view text)
{
    std::u32string scalars;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t value = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (b0 < 0x80) {
            scalars += b0;
            ++i;
            continue;
        }
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            length = 2;
            value = b0 & 0x1F;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            length = 3;
            value = b0 & 0x0F;
            low = b0 == 0xE0 ? 0xA0 : 0x80;
            high = b0 == 0xED ? 0x9F : 0xBF;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            length = 4;
            value = b0 & 0x07;
            low = b0 == 0xF0 ? 0x90 : 0x80;
            high = b0 == 0xF4 ? 0x8F : 0xBF;
        } else {
            return std::nullopt;
        }
        if (i + length > text.size()) {
            return std::nullopt;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF)) {
                return std::nullopt;
            }
            value = (value << 6) | (b & 0x3F);
        }
        scalars += value;
        i += length;
    }
    return scalars;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    const std::size_t limit = provider.ConsumeIntegralInRange<std::size_t>(0, 64);
    const std::string first = provider.ConsumeRandomLengthString(size);
    const std::string second = provider.ConsumeRemainingBytesAsString();

    for (const std::string& text : {first, second}) {
        const std::optional<std::u32string> reference = referenceDecode(text);
        fuzz::require(isValidUTF8(text) == reference.has_value(), "validity as the reference decides it");
        if (reference) {
            fuzz::require(decodeUTF8(text) == *reference, "the scalars of the reference");
        } else {
            for (char32_t c : decodeUTF8(text)) {
                fuzz::require(c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF), "only scalars come out of invalid input");
            }
        }
        fuzz::require(isASCII(text) == std::ranges::all_of(text, [](char c) { return (c & 0x80) == 0; }),
                      "ASCII is bytes below 0x80");

        const std::string cut = truncateUTF8(text, limit);
        fuzz::require(cut.size() <= limit && text.starts_with(cut), "a cut is a prefix within the limit");
        fuzz::require(isValidUTF8(cut), "a cut is valid UTF-8");
        if (reference && text.size() <= limit) {
            fuzz::require(cut == text, "valid text within the limit is kept whole");
        }

        const std::string normalized = normalizedNFC(text);
        fuzz::require(normalizedNFC(normalized) == normalized, "normalising is idempotent");
        if (!reference) {
            fuzz::require(normalized == text, "invalid text is returned unchanged");
        }
        fuzz::require(textEqual(text, normalized) || !reference, "text equals its normal form");

        const std::string_view trimmed = trimWhitespaceAndNewlines(text);
        fuzz::require(trimmed.data() >= text.data() && trimmed.data() + trimmed.size() <= text.data() + text.size(),
                      "trimming gives a part of the text");
    }

    const bool equal = textEqual(first, second);
    fuzz::require(equal == textEqual(second, first), "equality is symmetric");
    const int order = textCompare(first, second);
    const int reverse = textCompare(second, first);
    fuzz::require((order == 0) == equal, "order zero exactly when equal");
    fuzz::require((order < 0) == (reverse > 0) && (order > 0) == (reverse < 0), "order is antisymmetric");
    fuzz::require(utf8Equal(first, second) == (first == second), "byte equality");
    if (first == second) {
        fuzz::require(equal, "identical bytes are equal");
    }
    return 0;
}
