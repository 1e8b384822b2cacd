#include "Regex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace tavlen {
namespace {

TEST(Regex, searchFindsAMatchAnywhereWithoutAddedAnchors)
{
    const auto letter = Regex::compile("a");
    ASSERT_TRUE(letter.has_value());
    EXPECT_TRUE(letter->search("banana"));
    EXPECT_FALSE(letter->search("xyz"));

    const auto anchored = Regex::compile("^a$");
    ASSERT_TRUE(anchored.has_value());
    EXPECT_TRUE(anchored->search("a"));
    EXPECT_FALSE(anchored->search("aa"));

    const auto version = Regex::compile("^[0-9]+\\.[0-9]+\\.[0-9]+(?:[-+][0-9A-Za-z.-]+)?$");
    ASSERT_TRUE(version.has_value());
    EXPECT_TRUE(version->search("1.2.3-beta.1"));
    EXPECT_FALSE(version->search("1.2"));

    // ICU semantics: \d is any Unicode decimal digit; "." matches one scalar, also outside the BMP.
    EXPECT_TRUE(Regex::compile("^\\d$")->search("\xD9\xA1"));
    EXPECT_TRUE(Regex::compile("^.$")->search("\xF0\x9F\x98\x80"));
}

TEST(Regex, invalidPatterns_doNotCompile)
{
    EXPECT_FALSE(Regex::compile("(").has_value());
    EXPECT_FALSE(Regex::compile("[a-").has_value());
    EXPECT_FALSE(Regex::compile("a{2,1}").has_value());
    EXPECT_FALSE(Regex::compile("\xFF").has_value());
}

TEST(Regex, oneCompiledPattern_searchedFromSeveralThreads)
{
    const auto pattern = Regex::compile("^(?:[a-z]+-)*[a-z]+$");
    ASSERT_TRUE(pattern.has_value());
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i) {
                const bool shouldMatch = (i + t) % 2 == 0;
                const bool found = pattern->search(shouldMatch ? "abc-def-ghi" : "abc--def");
                if (found != shouldMatch) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong.load(), 0);
}

} // namespace
} // namespace tavlen
