#include "TextCase.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

TEST(TextCaseTest, lowerCaseIsTheSameInEveryLocale)
{
    EXPECT_EQ(lowercasedText("Price"), "price");
    EXPECT_EQ(lowercasedText("\u00C9TAT"), "\u00E9tat");
    EXPECT_EQ(lowercasedText("I"), "i"); // not the dotless i of a Turkish locale
    EXPECT_EQ(lowercasedText(""), "");
}

TEST(TextCaseTest, containsComparesFoldedCase)
{
    EXPECT_TRUE(containsIgnoringCase("Unit Price", "price"));
    EXPECT_TRUE(containsIgnoringCase("PRICE", "Price"));
    EXPECT_TRUE(containsIgnoringCase("STRASSE", "stra\u00DFe"));
    EXPECT_TRUE(containsIgnoringCase("anything", ""));
    EXPECT_FALSE(containsIgnoringCase("Stock", "price"));
    EXPECT_FALSE(containsIgnoringCase("", "a"));
}

} // namespace
} // namespace tavlen
