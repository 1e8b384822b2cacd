#include "Date.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tavlen {
namespace {

TEST(Date, milliseconds_roundDownIncludingBeforeNineteenSeventy)
{
    EXPECT_EQ(Date::fromSecondsSince1970(1.2345).milliseconds(), 1234);
    EXPECT_EQ(Date::fromSecondsSince1970(-0.0005).milliseconds(), -1);
    EXPECT_EQ(Date::fromSecondsSince1970(-1.5).milliseconds(), -1500);
    EXPECT_EQ(Date::fromMilliseconds(1700000000123).milliseconds(), 1700000000123);
    EXPECT_EQ(Date::fromMilliseconds(-42).milliseconds(), -42);
}

TEST(Date, milliseconds_outOfRangeSaturatesAndNanGivesZero)
{
    EXPECT_EQ(Date::fromSecondsSince1970(1e300).milliseconds(), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(Date::fromSecondsSince1970(-1e300).milliseconds(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(Date::fromSecondsSince1970(std::nan("")).milliseconds(), 0);
}

TEST(Date, referenceDate_isTwoThousandOneUtc)
{
    EXPECT_EQ(Date::fromSecondsSinceReferenceDate(0).secondsSince1970(), 978307200.0);
    const Date date = Date::fromSecondsSinceReferenceDate(794131200.25);
    EXPECT_EQ(date.secondsSinceReferenceDate(), 794131200.25);
    EXPECT_EQ(date.secondsSince1970(), 794131200.25 + 978307200.0);
}

TEST(Date, comparisonAndArithmetic)
{
    const Date a = Date::fromSecondsSince1970(10);
    EXPECT_EQ(a.addingSeconds(0.5), Date::fromSecondsSince1970(10.5));
    EXPECT_LT(a, a.addingSeconds(1));
    EXPECT_GT(a, a.addingSeconds(-1));
    EXPECT_NE(Date::fromSecondsSince1970(std::nan("")), Date::fromSecondsSince1970(std::nan("")));
    const Date now = Date::now();
    EXPECT_GT(now.secondsSince1970(), 1.6e9);
}

} // namespace
} // namespace tavlen
