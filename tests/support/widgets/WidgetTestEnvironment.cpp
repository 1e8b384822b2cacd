#include "WidgetTestEnvironment.h"

#include <QApplication>
#include <QFont>
#include <QLocale>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <cstdlib>
#include <ctime>
#include <memory>

namespace tavlen::test {

namespace {

constexpr const char* pinnedZone = "America/New_York";

} // namespace

void pinWidgetTestLocaleAndZone()
{
    ::setenv("LANG", "en_US.UTF-8", 1);
    ::setenv("LC_ALL", "en_US.UTF-8", 1);
    ::setenv("TZ", pinnedZone, 1);
    ::tzset();
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("en_US"), status);
    icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(pinnedZone)));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

QPalette widgetTestPalette(WidgetTestAppearance appearance)
{
    // The factory hands over the style it makes; only its palette is wanted here.
    QPalette palette = std::unique_ptr<QStyle>(QStyleFactory::create(QStringLiteral("Fusion")))->standardPalette();
    if (appearance == WidgetTestAppearance::dark) {
        const QColor window(0x2b, 0x2b, 0x2d);
        const QColor base(0x1e, 0x1e, 0x20);
        const QColor text(0xec, 0xec, 0xec);
        palette.setColor(QPalette::Window, window);
        palette.setColor(QPalette::WindowText, text);
        palette.setColor(QPalette::Base, base);
        palette.setColor(QPalette::AlternateBase, window);
        palette.setColor(QPalette::Text, text);
        palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3c));
        palette.setColor(QPalette::ButtonText, text);
        palette.setColor(QPalette::ToolTipBase, base);
        palette.setColor(QPalette::ToolTipText, text);
        palette.setColor(QPalette::PlaceholderText, QColor(0x8e, 0x8e, 0x93));
        palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x6e, 0x6e, 0x73));
        palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x6e, 0x6e, 0x73));
        palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x6e, 0x6e, 0x73));
    }
    palette.setColor(QPalette::Highlight, QColor(0x0a, 0x64, 0xd8));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    return palette;
}

void applyWidgetTestLook(WidgetTestAppearance appearance)
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(widgetTestPalette(appearance));
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
}

} // namespace tavlen::test
