#include "Digits.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

TEST(Digits, containsNonDigit_looksAtEveryByte)
{
    EXPECT_FALSE(containsNonDigit(""));
    EXPECT_FALSE(containsNonDigit("0123456789"));
    EXPECT_TRUE(containsNonDigit("12a"));
    EXPECT_TRUE(containsNonDigit("-1"));
    EXPECT_TRUE(containsNonDigit("1 2"));
    EXPECT_TRUE(containsNonDigit("\xD9\xA1")); // Arabic-Indic one
    EXPECT_TRUE(containsNonDigit(std::string_view("1\0", 2)));
}

} // namespace
} // namespace tavlen
