#include "QtText.h"

#include <QApplication>
#include <QLocale>
#include <QStyle>

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

TEST(QtTextTest, textRoundTripsThroughQString)
{
    const std::string cases[] = {
        "", "plain", "Caf\xC3\xA9", "e\xCC\x81", "\xF0\x9F\x98\x80 emoji", std::string("a\0b", 3)};
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(fromQString(toQString(text)), text);
    }
    EXPECT_EQ(toQString("\xE2\x80\x94").size(), 1);
}

TEST(QtTextTest, widgetTestsRunUnderFusionInEnglish)
{
    ASSERT_NE(qApp, nullptr);
    EXPECT_EQ(QApplication::style()->name(), QStringLiteral("fusion"));
    EXPECT_EQ(QLocale().name(), QStringLiteral("en_US"));
}

} // namespace
} // namespace tavlen::ui
