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

// Test control and reading results.

inline QString runningTimePrefix()
{
    return QStringLiteral("Running time: ");
}

inline QString executingPrefix()
{
    return QStringLiteral("Executing ");
}

inline QString testStepPrefix()
{
    return QStringLiteral("Test step: ");
}

inline QString testStepHelp()
{
    return QStringLiteral("Test through this step. Results aren\u2019t added to History. Earlier successful steps may "
                          "be reused.");
}

inline QString executionSucceeded()
{
    return QStringLiteral("Succeeded");
}

inline QString executionFailed()
{
    return QStringLiteral("Failed");
}

inline QString executionUnexecuted()
{
    return QStringLiteral("Not checked");
}

inline QString executionRunning()
{
    return QStringLiteral("In progress\u2026");
}

} // namespace tavlen::ui::text
