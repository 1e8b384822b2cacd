#include "Utf8.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

TEST(Utf8Equal, composedAndDecomposedAccents_differ)
{
    EXPECT_TRUE(utf8Equal("caf\xC3\xA9", "caf\xC3\xA9"));
    EXPECT_FALSE(utf8Equal("caf\xC3\xA9", "cafe\xCC\x81"));
    EXPECT_TRUE(utf8Equal("", ""));
    EXPECT_FALSE(utf8Equal("", "a"));
}

} // namespace
} // namespace tavlen
