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

// The Steps tab. "…" is U+2026, "’" U+2019.

inline QString loadingSteps()
{
    return QStringLiteral("Loading steps\u2026");
}

inline QString stepsUnavailable()
{
    return QStringLiteral("Steps unavailable");
}

inline QString retry()
{
    return QStringLiteral("Retry");
}

// Directly followed by the error's message.
inline QString resultsNotStoredPrefix()
{
    return QStringLiteral("Results have not been stored. ");
}

inline QString retrySavingResults()
{
    return QStringLiteral("Retry saving results");
}

inline QString retryStorage()
{
    return QStringLiteral("Retry storage");
}

inline QString retrySave()
{
    return QStringLiteral("Retry save");
}

inline QString reloadSavedMonitor()
{
    return QStringLiteral("Reload saved monitor\u2026");
}

inline QString reloadSavedSteps()
{
    return QStringLiteral("Reload saved steps\u2026");
}

inline QString reloadSavedMonitorQuestion()
{
    return QStringLiteral("Reload saved monitor?");
}

inline QString reloadSavedStepsQuestion()
{
    return QStringLiteral("Reload saved Steps?");
}

inline QString reloadMessage()
{
    return QStringLiteral("This discards your edits and reloads the saved values from the database.");
}

inline QString cancel()
{
    return QStringLiteral("Cancel");
}

inline QString discardAndReload()
{
    return QStringLiteral("Discard and reload");
}

// The storage banner of a session that needs reconciling but holds no error to show.
inline QString savedStepsInDoubt()
{
    return QStringLiteral("It\u2019s not certain that the last save was stored. Retry storage to check.");
}

// The Open page card.

inline QString stepsAreExecuting()
{
    return QStringLiteral("Steps are executing.");
}

inline QString pageURL()
{
    return QStringLiteral("Page URL");
}

inline QString pageURLPlaceholder()
{
    return QStringLiteral("https://example.com/product");
}

inline QString zoomOut()
{
    return QStringLiteral("Zoom out");
}

inline QString zoomIn()
{
    return QStringLiteral("Zoom in");
}

inline QString fitWidth()
{
    return QStringLiteral("Fit width");
}

inline QString actualSize()
{
    return QStringLiteral("100%");
}

// Between the image's width and height.
inline QString imageSizeSeparator()
{
    return QStringLiteral(" \u00D7 ");
}

inline QString screenshotPlaceholder()
{
    return QStringLiteral("Open a page to capture a screenshot, then select an area to read.");
}

inline QString addStep()
{
    return QStringLiteral("Add step");
}

inline QString readStepKind()
{
    return QStringLiteral("Read");
}

inline QString openPageStepKind()
{
    return QStringLiteral("Open page");
}

inline QString doAnythingComingSoon()
{
    return QStringLiteral("Do anything (Coming soon)");
}

inline QString selectAreaFirst()
{
    return QStringLiteral("Select an area in the screenshot first.");
}

inline QString addStepForSelection()
{
    return QStringLiteral("Add a step for the selected area");
}

// Step cards.

inline QString configurePrefix()
{
    return QStringLiteral("Configure ");
}

inline QString moveStepUp()
{
    return QStringLiteral("Move step up");
}

inline QString moveStepDown()
{
    return QStringLiteral("Move step down");
}

inline QString deleteStep()
{
    return QStringLiteral("Delete step");
}

// "Move step " + number + " up" / " down".
inline QString moveStepPrefix()
{
    return QStringLiteral("Move step ");
}

inline QString upSuffix()
{
    return QStringLiteral(" up");
}

inline QString downSuffix()
{
    return QStringLiteral(" down");
}

inline QString expandedValue()
{
    return QStringLiteral("Expanded");
}

inline QString collapsedValue()
{
    return QStringLiteral("Collapsed");
}

// Identifier prefixes, followed by the step id in upper-case UUID text.
inline QString configureIdentifierPrefix()
{
    return QStringLiteral("steps-config-");
}

inline QString addStepIdentifierPrefix()
{
    return QStringLiteral("add-step-");
}

// Read fields editor.

inline QString fieldNamePlaceholder()
{
    return QStringLiteral("Field name");
}

inline QString fieldTypeLabel()
{
    return QStringLiteral("Type");
}

inline QString readingInstructionsTitle()
{
    return QStringLiteral("Reading instructions (optional)");
}

inline QString removeField()
{
    return QStringLiteral("Remove field");
}

inline QString addField()
{
    return QStringLiteral("Add field");
}

// Configuration forms.

inline QString screenshotDelayLabel()
{
    return QStringLiteral("Screenshot delay");
}

inline QString secondsPlaceholder()
{
    return QStringLiteral("Seconds");
}

inline QString screenshotDelayAccessibleName()
{
    return QStringLiteral("Screenshot delay in seconds");
}

inline QString secondsUnit()
{
    return QStringLiteral("seconds");
}

inline QString screenshotDelayExplanation()
{
    return QStringLiteral(
        "Wait after the page opens before taking the screenshot. Increase this if content is still loading.");
}

inline QString screenshotDelayHint()
{
    return QStringLiteral("Enter a delay from 0 to 60 seconds.");
}

inline QString deviceViewportHeading()
{
    return QStringLiteral("Device viewport");
}

inline QString viewportWidthLabel()
{
    return QStringLiteral("Width");
}

inline QString viewportWidthAccessibleName()
{
    return QStringLiteral("Viewport width");
}

inline QString viewportHeightLabel()
{
    return QStringLiteral("Height");
}

inline QString viewportHeightAccessibleName()
{
    return QStringLiteral("Viewport height");
}

inline QString deviceScaleFactorLabel()
{
    return QStringLiteral("Device scale factor");
}

inline QString scalePlaceholder()
{
    return QStringLiteral("Scale");
}

inline QString cssPixelsUnit()
{
    return QStringLiteral("CSS pixels");
}

inline QString scaleUnit()
{
    return QStringLiteral("\u00d7");
}

inline QString mobileToggle()
{
    return QStringLiteral("Mobile");
}

inline QString mobileHelp()
{
    return QStringLiteral("Use mobile viewport behavior, including page scaling.");
}

inline QString viewportDimensionsHint()
{
    return QStringLiteral("Enter whole-number dimensions from 1 to 8,000,000 CSS pixels.");
}

inline QString scaleFactorHint()
{
    return QStringLiteral("Enter a positive device scale factor, such as 1 or 1.5.");
}

inline QString aiModelLabel()
{
    return QStringLiteral("AI model");
}

inline QString readModelAccessibleName()
{
    return QStringLiteral("Read AI model");
}

inline QString selectModelEntry()
{
    return QStringLiteral("Select a model");
}

inline QString selectConfiguredModel()
{
    return QStringLiteral("Select a configured AI model");
}

inline QString timeoutLabel()
{
    return QStringLiteral("Timeout");
}

inline QString readTimeoutAccessibleName()
{
    return QStringLiteral("Read timeout in seconds");
}

inline QString manageModels()
{
    return QStringLiteral("Manage AI models\u2026");
}

// Configuration popover: the kind title, then this.
inline QString settingsTitleSuffix()
{
    return QStringLiteral(" settings");
}

} // namespace tavlen::ui::text
