#include "Utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavlen {
namespace {

const std::string composedE = "caf\xC3\xA9";    // é as U+00E9
const std::string decomposedE = "cafe\xCC\x81"; // e + U+0301

TEST(Utf8Equal, composedAndDecomposedAccents_differ)
{
    EXPECT_TRUE(utf8Equal("caf\xC3\xA9", "caf\xC3\xA9"));
    EXPECT_FALSE(utf8Equal("caf\xC3\xA9", "cafe\xCC\x81"));
    EXPECT_TRUE(utf8Equal("", ""));
    EXPECT_FALSE(utf8Equal("", "a"));
}

TEST(TextEqual, canonicallyEquivalentTexts_areEqual)
{
    EXPECT_TRUE(textEqual(composedE, decomposedE));
    EXPECT_EQ(textCompare(composedE, decomposedE), 0);
    EXPECT_EQ(normalizedNFC(decomposedE), composedE);
    // Order of combining marks of different classes does not matter: dot below (220) and acute (230).
    EXPECT_TRUE(textEqual("a\xCC\xA3\xCC\x81", "a\xCC\x81\xCC\xA3"));
    EXPECT_FALSE(textEqual(composedE, "cafe"));
    EXPECT_FALSE(textEqual("", "a"));
    EXPECT_LT(textCompare("a", "b"), 0);
    EXPECT_GT(textCompare(decomposedE, "cafe"), 0);
}

TEST(TextEqual, invalidUtf8_equalsOnlyItsOwnBytes)
{
    EXPECT_TRUE(textEqual("a\xFF", "a\xFF"));
    EXPECT_FALSE(textEqual("a\xFF", "a\xFE"));
    EXPECT_EQ(normalizedNFC("e\xCC\x81\xFF"), "e\xCC\x81\xFF");
}

TEST(TruncateUtf8, cutsOnlyAtScalarBoundaries)
{
    struct Row
    {
        const char* name;
        std::string text;
        std::size_t maxBytes;
        std::string expected;
    };

    const std::string threeByte = "\xE2\x82\xAC"; // €
    const std::vector<Row> rows = {
        {"zero keeps nothing", "abc", 0, ""},
        {"shorter text stays whole", "abc", 10, "abc"},
        {"exact length stays whole", "ab" + threeByte, 5, "ab" + threeByte},
        {"cut inside a three-byte character drops it", "ab" + threeByte + "c", 4, "ab"},
        {"cut after first byte of a character drops it", "ab" + threeByte, 3, "ab"},
        {"four-byte emoji is kept or dropped whole", "\xF0\x9F\x98\x80x", 3, ""},
        {"combining mark is a scalar of its own", decomposedE, 4, "cafe"},
        {"invalid bytes end the prefix",
         "ab\xFF"
         "cd",
         5,
         "ab"},
        {"truncated sequence at the end is dropped", "ab\xE2\x82", 4, "ab"},
        {"stray continuation byte keeps the character before it",
         "ab\x80"
         "cd",
         5,
         "ab"},
        {"stray continuation byte after a two-byte character", "x\xC3\xA9\x80", 4, "x\xC3\xA9"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string cut = truncateUTF8(row.text, row.maxBytes);
        EXPECT_EQ(cut, row.expected);
        EXPECT_TRUE(isValidUTF8(cut));
    }
}

TEST(TruncateUtf8, longMessageWithCharacterAcrossTheLimit_isCutBeforeIt)
{
    const std::string message = std::string(4094, 'a') + "\xE2\x82\xAC" + "bbb"; // € at bytes 4095..4097
    EXPECT_EQ(truncateUTF8(message, 4096).size(), 4094u);
    const std::string exact = std::string(4093, 'a') + "\xE2\x82\xAC";
    EXPECT_EQ(truncateUTF8(exact, 4096), exact);
}

TEST(IsValidUtf8, rejectsIllFormedSequences)
{
    struct Row
    {
        const char* name;
        std::string bytes;
        bool valid;
    };

    const std::vector<Row> rows = {
        {"empty", "", true},
        {"ascii", "hello", true},
        {"two, three and four bytes", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", true},
        {"largest scalar", "\xF4\x8F\xBF\xBF", true},
        {"embedded nul", std::string("a\0b", 3), true},
        {"overlong slash", "\xC0\xAF", false},
        {"overlong three-byte", "\xE0\x80\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"lone continuation", "\x80", false},
        {"truncated", "\xE2\x82", false},
        {"invalid lead", "\xFF", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(isValidUTF8(row.bytes), row.valid);
    }
}

TEST(CharacterSets, followUnicodeCategories)
{
    EXPECT_TRUE(isWhitespace(U' '));
    EXPECT_TRUE(isWhitespace(U'\t'));
    EXPECT_TRUE(isWhitespace(U'\u00A0'));
    EXPECT_TRUE(isWhitespace(U'\u3000'));
    EXPECT_FALSE(isWhitespace(U'\n'));
    EXPECT_FALSE(isWhitespace(U'\u2028'));

    for (char32_t c : {U'\t', U'\n', U'\v', U'\f', U'\r', U'\u0085', U'\u2028', U'\u2029', U'\u00A0', U' '}) {
        EXPECT_TRUE(isWhitespaceOrNewline(c)) << static_cast<unsigned>(c);
    }
    EXPECT_FALSE(isWhitespaceOrNewline(U'\u200B')); // zero width space is Cf, not a separator
    EXPECT_FALSE(isWhitespaceOrNewline(U'a'));

    EXPECT_TRUE(isControlCharacter(U'\0'));
    EXPECT_TRUE(isControlCharacter(U'\u007F'));
    EXPECT_TRUE(isControlCharacter(U'\u200B'));
    EXPECT_TRUE(isControlCharacter(U'\uFEFF'));
    EXPECT_FALSE(isControlCharacter(U' '));
    EXPECT_FALSE(isControlCharacter(U'a'));
}

TEST(TrimWhitespaceAndNewlines, removesUnicodeSpaceAtBothEndsOnly)
{
    struct Row
    {
        const char* name;
        std::string text;
        std::string expected;
    };

    const std::vector<Row> rows = {
        {"nothing to trim", "a b", "a b"},
        {"ascii spaces and newlines", " \t\r\n a b \n", "a b"},
        {"no-break space, next line and line separator", "\xC2\xA0\xC2\x85x\xE2\x80\xA8", "x"},
        {"only whitespace", " \n\xE3\x80\x80", ""},
        {"empty", "", ""},
        {"zero width space is kept", "\xE2\x80\x8Bx", "\xE2\x80\x8Bx"},
        {"invalid byte stops trimming", " \xFF ", "\xFF"},
        {"multibyte non-space at the end is kept", " caf\xC3\xA9 ", "caf\xC3\xA9"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(trimWhitespaceAndNewlines(row.text), row.expected);
    }
}

TEST(DecodeUtf8, givesScalarsAndReplacesIllFormedSequences)
{
    EXPECT_EQ(decodeUTF8("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), U"a\u00E9\u20AC\U0001F600");
    EXPECT_EQ(decodeUTF8(""), U"");
    // A truncated sequence is one replacement; the byte after it is read again.
    EXPECT_EQ(decodeUTF8("\xE2\x82x\xFF"), U"\uFFFDx\uFFFD");
}

} // namespace
} // namespace tavlen
