#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavlen {

// True exactly when both texts hold the same UTF-8 code units, with no Unicode normalisation.
bool utf8Equal(std::string_view a, std::string_view b) noexcept;

// True when both texts are canonically equivalent Unicode (equal after NFC normalisation). Identical bytes are
// equal without normalising. A text that is not valid UTF-8 equals only identical bytes.
bool textEqual(std::string_view a, std::string_view b);

// Orders texts by the bytes of their NFC forms: negative, zero or positive. Zero exactly when textEqual.
int textCompare(std::string_view a, std::string_view b);

// True when every byte is below 0x80. ASCII text is always valid UTF-8 in NFC.
bool isASCII(std::string_view text) noexcept;

// The NFC form of the text. Text that is not valid UTF-8, or that ICU cannot normalise, is returned unchanged.
std::string normalizedNFC(std::string_view text);

// The longest prefix of at most maxBytes bytes that is valid UTF-8, so a multi-byte character is never split.
// A character made of several scalars (a letter with a combining mark) can lose its later scalars.
std::string truncateUTF8(std::string_view text, std::size_t maxBytes);

// True when the bytes are well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUTF8(std::string_view text) noexcept;

// Space separators (general category Zs) and tab.
bool isWhitespace(char32_t c) noexcept;

// Space, line and paragraph separators (Zs, Zl, Zp), U+0009 to U+000D and U+0085.
bool isWhitespaceOrNewline(char32_t c) noexcept;

// Control and format characters (general categories Cc and Cf).
bool isControlCharacter(char32_t c) noexcept;

// The text without the whitespace and newlines (as isWhitespaceOrNewline) at both ends. Trimming stops at a byte
// sequence that is not valid UTF-8.
std::string_view trimWhitespaceAndNewlines(std::string_view text) noexcept;

// The Unicode scalars of valid UTF-8. Each ill-formed sequence of invalid input becomes U+FFFD.
std::u32string decodeUTF8(std::string_view text);

} // namespace tavlen
