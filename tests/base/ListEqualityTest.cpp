#include "ListEquality.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tavlen {
namespace {

TEST(ListEquality, lengthOrderAndElementRule)
{
    EXPECT_TRUE(intArraysEqual({}, {}));
    EXPECT_TRUE(intArraysEqual({1, 2, 3}, {1, 2, 3}));
    EXPECT_FALSE(intArraysEqual({1, 2}, {1, 2, 3})) << "a prefix is not equal";
    EXPECT_FALSE(intArraysEqual({1, 2, 3}, {3, 2, 1})) << "order matters";
    EXPECT_TRUE(byteArraysEqual({0, 255}, {0, 255}));
    EXPECT_FALSE(byteArraysEqual({0}, {}));
    EXPECT_TRUE(stringArraysEqual({"caf\xC3\xA9"}, {"cafe\xCC\x81"})) << "texts compare by canonical equivalence";
    EXPECT_FALSE(stringArraysEqual({"a", "b"}, {"b", "a"}));
}

TEST(ListEquality, comparisonStopsEarlyAndSkipsSharedStorage)
{
    int calls = 0;
    const auto counting = [&calls](double x, double y) {
        ++calls;
        return x == y;
    };
    const std::vector<double> withNan = {std::nan(""), 1.0, 2.0};
    EXPECT_TRUE(listsEqual(withNan, withNan, counting)) << "the same list is equal without a walk";
    EXPECT_EQ(calls, 0);

    const std::vector<double> other = {std::nan(""), 1.0, 2.0};
    EXPECT_FALSE(listsEqual(withNan, other, counting)) << "not-a-number differs from itself element-wise";
    EXPECT_EQ(calls, 1) << "first difference ends the comparison";

    calls = 0;
    EXPECT_FALSE(listsEqual(std::vector<double>{1.0}, std::vector<double>{1.0, 2.0}, counting));
    EXPECT_EQ(calls, 0) << "length is tested first";
    EXPECT_TRUE(listsEqual(std::vector<double>{0.0}, std::vector<double>{-0.0}, counting));
}

} // namespace
} // namespace tavlen
