#pragma once

class QPalette;

namespace tavlen::test {

enum class WidgetTestAppearance
{
    light,
    dark
};

// The locale (en_US) and zone (America/New_York) every widget test sees, through the environment, ICU and
// QLocale. Called before the QApplication exists.
void pinWidgetTestLocaleAndZone();

// The fixed palettes of widget tests and screenshots: Fusion's look with a blue accent.
QPalette widgetTestPalette(WidgetTestAppearance appearance);

// Fusion style, the palette of the appearance and the default font, applied to the running QApplication.
void applyWidgetTestLook(WidgetTestAppearance appearance);

} // namespace tavlen::test
