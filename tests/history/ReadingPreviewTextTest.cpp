#include "ReadingPreviewText.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

std::string repeated(std::string_view character, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += character;
    }
    return text;
}

TEST(ReadingPreviewTextTest, whitespaceBecomesSpacesAndLongTextsAreCutAtCharacters)
{
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467"; // one character of five code points
    const std::string accented = "e\u0301";                                  // one character of two code points

    struct Row
    {
        const char* name;
        std::string text;
        std::string preview;
    };

    const std::vector<Row> rows{
        {"words separated by a tab and a line feed", "one\ttwo\nthree", "one two three"},
        {"a carriage return and line feed is one character", "a\r\nb", "a b"},
        {"runs are kept and nothing is trimmed", "  a  b\u00A0", "  a  b "},
        {"200 characters stay whole", repeated("x", 200), repeated("x", 200)},
        {"201 characters are cut to 199 and an ellipsis", repeated("x", 201), repeated("x", 199) + "\u2026"},
        {"emoji of several code points count once", repeated(family, 200), repeated(family, 200)},
        {"an emoji is never split", repeated(family, 201), repeated(family, 199) + "\u2026"},
        {"a combining mark stays with its letter", repeated(accented, 250), repeated(accented, 199) + "\u2026"},
        {"line breaks count before the cut", repeated("\r\n", 300), repeated(" ", 199) + "\u2026"},
        {"an empty text", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(readingPreviewText(row.text), row.preview);
    }
}

} // namespace
} // namespace tavlen
