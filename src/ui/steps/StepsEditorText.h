#pragma once

#include <QString>

// The texts of the steps editor's views, spelled once.
namespace tavlen::ui::text {

inline QString screenshotAccessibleName()
{
    return QStringLiteral("Full-page screenshot. Drag to select a region; drag its handles to resize. "
                          "Press Escape to cancel a selection.");
}

inline QString regionOutsideScreenshot()
{
    return QStringLiteral("Region outside screenshot");
}

inline QString cropPreviewAccessibleName()
{
    return QStringLiteral("Screenshot crop preview");
}

inline QString cropPreviewHelp()
{
    return QStringLiteral("Pinch or scroll to zoom, drag to pan.");
}

inline QString selectedValue()
{
    return QStringLiteral("Selected");
}

inline QString notSelectedValue()
{
    return QStringLiteral("Not selected");
}

} // namespace tavlen::ui::text
