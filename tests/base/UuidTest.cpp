#include "Uuid.h"

#include <gtest/gtest.h>

#include <unordered_set>

namespace tavlen {
namespace {

TEST(Uuid, parse_acceptsEitherCaseAndPrintsBoth)
{
    const auto lower = Uuid::parse("0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0");
    const auto upper = Uuid::parse("0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0");
    const auto mixed = Uuid::parse("0f1E2d3C-4b5A-6978-8796-a5B4c3D2e1F0");
    ASSERT_TRUE(lower && upper && mixed);
    EXPECT_EQ(*lower, *upper);
    EXPECT_EQ(*lower, *mixed);
    EXPECT_EQ(lower->bytes()[0], 0x0F);
    EXPECT_EQ(lower->bytes()[15], 0xF0);
    EXPECT_EQ(upper->lowercaseString(), "0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0");
    EXPECT_EQ(lower->uppercaseString(), "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0");
}

TEST(Uuid, parse_rejectsMalformedText)
{
    struct Case
    {
        const char* name;
        const char* text;
    };

    const Case cases[] = {
        {"empty", ""},
        {"no hyphens", "0f1e2d3c4b5a69788796a5b4c3d2e1f0"},
        {"braces", "{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}"},
        {"hyphen misplaced", "0f1e2d3-c4b5a-6978-8796-a5b4c3d2e1f0"},
        {"non-hex digit", "0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1g0"},
        {"one digit short", "0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f"},
        {"one digit long", "0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f00"},
        {"surrounding space", " 0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f"},
        {"sign inside", "+f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(Uuid::parse(row.text).has_value());
    }
}

TEST(Uuid, random_isVersion4AndDistinct)
{
    std::unordered_set<Uuid> seen;
    for (int i = 0; i < 100; ++i) {
        const Uuid uuid = Uuid::random();
        const std::string text = uuid.lowercaseString();
        EXPECT_EQ(text[14], '4');
        EXPECT_NE(std::string("89ab").find(text[19]), std::string::npos);
        EXPECT_EQ(Uuid::parse(text), uuid);
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 100u);
}

TEST(Uuid, orderingAndArrayEquality)
{
    const Uuid a = *Uuid::parse("00000000-0000-0000-0000-000000000001");
    const Uuid b = *Uuid::parse("00000000-0000-0000-0000-000000000002");
    EXPECT_LT(a, b);
    EXPECT_EQ(Uuid(), *Uuid::parse("00000000-0000-0000-0000-000000000000"));
    EXPECT_TRUE(uuidArraysEqual({}, {}));
    EXPECT_TRUE(uuidArraysEqual({a, b}, {a, b}));
    EXPECT_FALSE(uuidArraysEqual({a, b}, {b, a}));
    EXPECT_FALSE(uuidArraysEqual({a}, {a, a}));
}

} // namespace
} // namespace tavlen
