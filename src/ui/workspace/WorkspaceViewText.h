#pragma once

#include <QString>

// The texts of the workspace views, spelled once. "…" is U+2026, "’" U+2019, "—" U+2014.
namespace tavlen::ui::text {

// Monitor status titles and tooltips.
inline const QString succeeded = QStringLiteral("Succeeded");
inline const QString failed = QStringLiteral("Failed");
inline const QString cancelled = QStringLiteral("Cancelled");
inline const QString notChecked = QStringLiteral("Not checked");
inline const QString preparing = QStringLiteral("Preparing\u2026");
inline const QString checkingPrefix = QStringLiteral("Checking ");
inline const QString stopping = QStringLiteral("Stopping\u2026");
inline const QString savingResults = QStringLiteral("Saving results\u2026");
inline const QString queued = QStringLiteral("Queued");
inline const QString couldNotSaveResults = QStringLiteral("Couldn\u2019t save results");
inline const QString statusUnavailable = QStringLiteral("Status unavailable");
inline const QString modelRequired = QStringLiteral("AI model required");
inline const QString lastSucceededAt = QStringLiteral("Last succeeded at ");
inline const QString lastFailedAt = QStringLiteral("Last failed at ");
inline const QString lastCancelledAt = QStringLiteral("Last cancelled at ");
inline const QString storeFailedAtPrefix = QStringLiteral("Couldn\u2019t store results for the check completed at ");
inline const QString storeFailed = QStringLiteral("Couldn\u2019t store results.");
inline const QString retryStoringHint = QStringLiteral(" Retry Storing Results in Steps or Schedule.");
inline const QString stepsCompletedOf = QStringLiteral(" of ");
inline const QString stepsCompletedSuffix = QStringLiteral(" steps completed");
inline const QString forMonitor = QStringLiteral(" for ");
inline const QString stop = QStringLiteral("Stop");
inline const QString stopCheckFor = QStringLiteral("Stop check for ");
inline const QString stopExecution = QStringLiteral("Stop execution");

// Schedule indicator.
inline const QString scheduleEnabled = QStringLiteral("Schedule enabled");
inline const QString scheduleDisabled = QStringLiteral("Schedule disabled");
inline const QString nextCheckAt = QStringLiteral("Next check at ");

// Monitor controls.
inline const QString checkNow = QStringLiteral("Check now");
inline const QString checkNowBecause = QStringLiteral("Check now \u2014 ");
inline const QString checkNowHelp = QStringLiteral("Check the page again and save the results to History.");
inline const QString discardChanges = QStringLiteral("Discard changes");
inline const QString discardingChanges = QStringLiteral("Discarding changes\u2026");
inline const QString discardMonitorChanges = QStringLiteral("Discard monitor changes");
inline const QString save = QStringLiteral("Save");
inline const QString saving = QStringLiteral("Saving\u2026");
inline const QString saveShortcutPrefix = QStringLiteral("Save (Ctrl+S) \u2014 ");
inline const QString unsavedChanges = QStringLiteral("Unsaved changes");
inline const QString notSavedYet = QStringLiteral("Not saved yet");
inline const QString saved = QStringLiteral("Saved");
inline const QString loadingSteps = QStringLiteral("Loading steps\u2026");
inline const QString discardMonitorTitle = QStringLiteral("Discard changes to this monitor?");
inline const QString discardMonitorMessage =
    QStringLiteral("This restores the saved monitor name, schedule, Steps workflow, and screenshot, or the initial "
                   "Open page card if Steps have not been saved yet.");
inline const QString cancel = QStringLiteral("Cancel");

// New-monitor editor.
inline const QString newMonitor = QStringLiteral("New monitor");
inline const QString name = QStringLiteral("Name");
inline const QString enterName = QStringLiteral("Enter a name.");
inline const QString retryStorage = QStringLiteral("Retry storage");
inline const QString savingOrReloading = QStringLiteral("Saving or reloading");
inline const QString createMonitor = QStringLiteral("Create monitor");
inline const QString discardChangesQuestion = QStringLiteral("Discard changes?");
inline const QString changesWillBeLost = QStringLiteral("Your changes to this monitor will be lost.");
inline const QString keepEditing = QStringLiteral("Keep editing");

} // namespace tavlen::ui::text
