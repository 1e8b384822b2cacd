#include "TextScan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tavlen {
namespace {

bool referenceBase64Alphabet(std::string_view text)
{
    constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    return text.find_first_not_of(alphabet) == std::string_view::npos;
}

std::size_t referenceScalarCount(std::string_view text)
{
    std::size_t count = 0;
    for (const char c : text) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

std::size_t referenceStructureCount(std::string_view text)
{
    std::size_t count = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            i += c == '\\' ? 1 : 0;
            inString = c != '"';
        } else if (c == '"') {
            inString = true;
        } else {
            count += std::string_view("[{,:").find(c) != std::string_view::npos ? 1 : 0;
        }
    }
    return count;
}

// Lengths around the vector widths, the 4 KiB chunks and the 255-step counters, with the odd byte at every place
// that lands in a different part of the scan (head, vector body, chunk border, tail).
TEST(TextScanTest, agreesWithByteByByteReadingAtEveryLengthAndPosition)
{
    std::mt19937 random(34);
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (const std::size_t length : std::initializer_list<std::size_t>{
             0, 1, 15, 16, 17, 31, 32, 33, 127, 128, 129, 4095, 4096, 4097, 8160, 8191, 8192, 8193, 70000}) {
        std::string text(length, 'A');
        for (char& c : text) {
            c = alphabet[random() % alphabet.size()];
        }
        SCOPED_TRACE("length " + std::to_string(length));
        EXPECT_TRUE(isBase64Alphabet(text));
        EXPECT_EQ(scalarCount(text), length);
        const std::size_t step = length > 300 ? length / 97 + 1 : 1;
        for (std::size_t at = 0; at < length; at += step) {
            // Each byte that sits just outside a range the scan tests, and bytes with the high bit set.
            for (const int odd : std::initializer_list<int>{
                     '@', '[', '`', '{', '/' - 1, ':', '*', ',', '=', 0x00, 0x80, 0xBF, 0xC1, 0xE1, 0xFF}) {
                std::string changed = text;
                changed[at] = static_cast<char>(odd);
                ASSERT_EQ(isBase64Alphabet(changed), referenceBase64Alphabet(changed))
                    << "byte " << int(odd) << " at " << at;
                ASSERT_EQ(scalarCount(changed), referenceScalarCount(changed)) << "byte " << int(odd) << " at " << at;
            }
        }
    }
}

TEST(TextScanTest, countsScalarsOfMixedUTF8AcrossManyCounterRounds)
{
    // Continuation bytes in every lane for more than 255 vectors, so the byte counters are summed several times.
    std::string text;
    for (int i = 0; i < 6000; ++i) {
        text += i % 3 == 0 ? "\xF0\x9F\x98\x80" : i % 3 == 1 ? "\xC3\xA9" : "a";
    }
    EXPECT_EQ(scalarCount(text), 6000U);
    EXPECT_EQ(scalarCount(std::string(100000, '\x80')), 0U);
    EXPECT_FALSE(isBase64Alphabet(text));
}

TEST(TextScanTest, countsJsonStructureOutsideStrings)
{
    const std::string image(100000, 'Q'); // a screenshot's base64, many vectors long

    const struct
    {
        std::string text;
        std::size_t count;
    } cases[] = {
        {"", 0},
        {"{}", 1},
        {R"({"a":[1,2,{"b":null}]})", 7},
        {R"(["[{,:","x"])", 2}, // structure inside a string counts nothing
        {R"(["a\"[,",1])", 2},  // an escaped quote does not end the string
        {R"(["a\\",[1]])", 3},  // an escaped backslash does
        {R"({"image":")" + image + R"(","k":[0]})", 5},
        {R"({"image":")" + image + R"(\"[,","k":[0]})", 5},
        {"[" + std::string(40, ' ') + "{\"" + std::string(40, ',') + "\":0}]", 3},
        {"\"unterminated [,", 0},
        {"[\"\\", 1}, // an escape as the last byte
    };

    for (const auto& row : cases) {
        SCOPED_TRACE(row.text.substr(0, 60));
        EXPECT_EQ(jsonStructureCount(row.text, 1000), row.count);
        EXPECT_EQ(referenceStructureCount(row.text), row.count);
    }
}

TEST(TextScanTest, jsonStructureCountAgreesWithByteByByteReadingOnRandomText)
{
    // Few distinct bytes, so quotes, escapes and structure fall at every offset of every vector.
    const std::string bytes = "\"\\[{,:a ]}";
    std::mt19937 random(340);
    for (int round = 0; round < 400; ++round) {
        const bool sparse = round % 4 == 3; // long strings with a stop now and then, across many vectors
        std::string text(random() % (sparse ? 3000 : 300), 'a');
        for (char& c : text) {
            if (!sparse || random() % 200 == 0) {
                c = bytes[random() % (round % 2 == 0 ? bytes.size() : 4)]; // round 1 of 4: dense with quotes
            }
        }
        SCOPED_TRACE(text);
        ASSERT_EQ(jsonStructureCount(text, text.size()), referenceStructureCount(text));
    }
}

// A backslash as the last byte of a vector, or of a leap over a long string, escapes the byte after it only when its
// run of backslashes is odd.
TEST(TextScanTest, jsonStructureCountCarriesEscapesAcrossVectorsAndLeaps)
{
    for (const std::size_t before : {13, 14, 15, 29, 30, 31, 61, 62, 63, 509, 510, 511, 1021, 1022, 1023}) {
        const std::string body(before, 'Q');
        for (const std::string& escapes : {std::string("\\"), std::string("\\\\"), std::string("\\\\\\")}) {
            const std::string text = "[\"" + body + escapes + "\",[1]\"]";
            SCOPED_TRACE(std::to_string(before) + " then " + std::to_string(escapes.size()) + " backslashes");
            EXPECT_EQ(jsonStructureCount(text, text.size()), referenceStructureCount(text));
            EXPECT_EQ(referenceStructureCount(text), escapes.size() % 2 == 1 ? 1U : 3U);
        }
    }
}

TEST(TextScanTest, jsonStructureCountStopsPastItsLimit)
{
    const std::string dense = "[" + std::string(1 << 20, ',') + "]";
    const std::size_t count = jsonStructureCount(dense, 1000);
    EXPECT_GT(count, 1000U);
    EXPECT_LT(count, 2000U) << "the scan went on past the limit";
    EXPECT_EQ(jsonStructureCount(dense, dense.size()), dense.size() - 1);
}

} // namespace
} // namespace tavlen
