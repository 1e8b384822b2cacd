#include "LocalizedStandardOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace tavlen {
namespace {

TEST(LocalizedStandardOrder, digitRunsCompareByValueAndCaseOnlyBreaksTies)
{
    std::vector<std::string> names{"model-10", "Model-2", "model-9", "llava:13b", "llava:7b", "a", "B"};
    const LocalizedStandardOrder order;
    std::sort(names.begin(), names.end(), std::cref(order));
    EXPECT_EQ(names, (std::vector<std::string>{"a", "B", "llava:7b", "llava:13b", "Model-2", "model-9", "model-10"}));
    EXPECT_EQ(order.compare("m-2", "m-2"), 0);
    EXPECT_LT(order.compare("m-9", "m-10"), 0);
}

} // namespace
} // namespace tavlen
