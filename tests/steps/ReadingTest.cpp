#include "Reading.h"

#include "ReadingField.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

const std::string composed = "caf\xC3\xA9";    // é as one code point
const std::string decomposed = "cafe\xCC\x81"; // e followed by a combining acute accent

TEST(ReadingTest, valuesCompareTextBytesButFieldNamesByCanonicalEquivalence)
{
    Uuid id = Uuid::random();
    EXPECT_NE((Reading{id, "Name", ReadingValue::ofText(composed)}),
              (Reading{id, "Name", ReadingValue::ofText(decomposed)}));
    EXPECT_EQ((Reading{id, composed, ReadingValue::ofNumber(1)}), (Reading{id, decomposed, ReadingValue::ofNumber(1)}));
    EXPECT_NE(ReadingValue::ofNumber(1), ReadingValue::ofText("1"));
    EXPECT_NE((Reading{id, "a", ReadingValue::ofNumber(1)}), (Reading{Uuid::random(), "a", ReadingValue::ofNumber(1)}));
    EXPECT_EQ(ReadingValue::ofNumber(0.0), ReadingValue::ofNumber(-0.0));
}

TEST(ReadingTest, readingFieldsCompareNamesAndInstructionsByCanonicalEquivalence)
{
    Uuid id = Uuid::random();
    std::vector<ReadingField> a{{id, composed, ReadingFieldType::number, decomposed}};
    std::vector<ReadingField> b{{id, decomposed, ReadingFieldType::number, composed}};
    EXPECT_TRUE(readingFieldsEqual(a, b));
    b[0].type = ReadingFieldType::text;
    EXPECT_FALSE(readingFieldsEqual(a, b));
    EXPECT_FALSE(readingFieldsEqual(a, {}));
}

TEST(ReadingTest, readingListsCompareInOrder)
{
    Reading first{Uuid::random(), "a", ReadingValue::ofNumber(1)};
    Reading second{Uuid::random(), "b", ReadingValue::ofText("x")};
    EXPECT_TRUE(readingsEqual({first, second}, {first, second}));
    EXPECT_FALSE(readingsEqual({first, second}, {second, first}));
    EXPECT_FALSE(readingsEqual({first}, {first, second}));
}

TEST(ReadingTest, fieldTypesRoundTripTheirDisplayTexts)
{
    EXPECT_EQ(displayText(ReadingFieldType::text), "Text");
    EXPECT_EQ(readingFieldTypeFromText("Number"), ReadingFieldType::number);
    EXPECT_EQ(readingFieldTypeFromText("number"), std::nullopt);
}

} // namespace
} // namespace tavlen
