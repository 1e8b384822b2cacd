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

// Schedule editor, preview and panes.
inline const QString previewHeader = QStringLiteral("Preview");
inline const QString scheduleNote = QStringLiteral("Checks saved Steps and stores results while Tavlen is running.");
inline const QString useSaveToApply = QStringLiteral("Use Save to apply schedule changes.");
inline const QString check = QStringLiteral("Check");
inline const QString interval = QStringLiteral("Interval");
inline const QString every = QStringLiteral("Every");
inline const QString unit = QStringLiteral("Unit");
inline const QString customIntervalAmount = QStringLiteral("Custom interval amount");
inline const QString customIntervalUnit = QStringLiteral("Custom interval unit");
inline const QString limitDaysAndHours = QStringLiteral("Limit days and hours");
inline const QString limitHours = QStringLiteral("Limit hours");
inline const QString from = QStringLiteral("From");
inline const QString until = QStringLiteral("Until");
inline const QString time = QStringLiteral("Time");
inline const QString removeTime = QStringLiteral("Remove time");
inline const QString removePrefix = QStringLiteral("Remove ");
inline const QString addTime = QStringLiteral("Add time");
inline const QString days = QStringLiteral("Days");
inline const QString everyDay = QStringLiteral("Every day");
inline const QString weekdays = QStringLiteral("Weekdays");
inline const QString selectedDays = QStringLiteral("Selected days");
inline const QString minutes = QStringLiteral("Minutes");
inline const QString hours = QStringLiteral("Hours");
inline const QString daysUnit = QStringLiteral("Days");
inline const QString every15Minutes = QStringLiteral("Every 15 minutes");
inline const QString every30Minutes = QStringLiteral("Every 30 minutes");
inline const QString everyHour = QStringLiteral("Every hour");
inline const QString every6Hours = QStringLiteral("Every 6 hours");
inline const QString every24Hours = QStringLiteral("Every 24 hours");
inline const QString customInterval = QStringLiteral("Custom interval");
inline const QString enabled = QStringLiteral("Enabled");
inline const QString disabled = QStringLiteral("Disabled");
inline const QString nextChecks = QStringLiteral("Next checks");
inline const QString exampleCheckTimes = QStringLiteral("Example check times");
inline const QString aboutPrefix = QStringLiteral("About ");
inline const QString checksPerWeek = QStringLiteral(" checks per week.");
inline const QString wouldCheckAboutPrefix = QStringLiteral("Would check about ");
inline const QString timesPerWeek = QStringLiteral(" times per week.");
inline const QString timeZonePrefix = QStringLiteral("Time zone: ");
inline const QString saveToApplySchedule =
    QStringLiteral("Save changes to apply this schedule. Scheduled checks use the saved schedule and Steps while "
                   "you edit.");
inline const QString schedulePaused =
    QStringLiteral("Schedule paused \u2014 select a model in every Read step and save.");
inline const QString scheduledCheckQueued = QStringLiteral("Scheduled check queued");
inline const QString waitingToStore = QStringLiteral("Waiting to store results. ");
inline const QString retrySavingResults = QStringLiteral("Retry saving results");
inline const QString monitorName = QStringLiteral("Monitor name");
inline const QString monitorNameHint =
    QStringLiteral("Use Save and Discard changes in the monitor details header to keep or discard changes.");
inline const QString dangerZone = QStringLiteral("Danger zone");
inline const QString deleteWarning =
    QStringLiteral("Deleting this monitor cancels any active check and permanently removes its schedule, saved "
                   "Steps, unsaved changes, checks, and readings. This can\u2019t be undone.");
inline const QString deleteMonitor = QStringLiteral("Delete monitor\u2026");
inline const QString reloadSavedMonitor = QStringLiteral("Reload saved monitor\u2026");
inline const QString reloadSavedMonitorQuestion = QStringLiteral("Reload saved monitor?");
inline const QString reloadMessage =
    QStringLiteral("This discards your name, schedule, and Steps edits and reloads the saved monitor.");
inline const QString discardAndReload = QStringLiteral("Discard and reload");

// Workspace window, sidebar rows and the detail view.
inline const QString appTitle = QStringLiteral("Tavlen");
inline const QString newMonitorHelp = QStringLiteral("New Monitor (Ctrl+N)");
inline const QString noURLSet = QStringLiteral("No URL set");
inline const QString urlUnavailable = QStringLiteral("URL unavailable");
inline const QString saveAURL = QStringLiteral("Save a URL in the Open page step.");
inline const QString loadingWorkspace = QStringLiteral("Loading workspace\u2026");
inline const QString workspaceUnavailable = QStringLiteral("Workspace unavailable");
inline const QString retry = QStringLiteral("Retry");
inline const QString sidebarUnavailablePrefix = QStringLiteral("Sidebar information unavailable. ");
inline const QString schedulingPausedPrefix = QStringLiteral("Scheduling paused. ");
inline const QString retryScheduling = QStringLiteral("Retry scheduling");
inline const QString noMonitorsYet = QStringLiteral("No monitors yet");
inline const QString selectAMonitor = QStringLiteral("Select a monitor");
inline const QString saveChangesQuestion = QStringLiteral("Save changes to this monitor?");
inline const QString saveChangesToPrefix = QStringLiteral("Save changes to \u201c");
inline const QString saveChangesToSuffix =
    QStringLiteral("\u201d before leaving, or discard them to restore its saved name, schedule, and Steps.");
inline const QString discard = QStringLiteral("Discard");
inline const QString monitorWord = QStringLiteral("monitor");
inline const QString deleteTitlePrefix = QStringLiteral("Delete \u201c");
inline const QString deleteTitleSuffix = QStringLiteral("\u201d?");
inline const QString deleteAction = QStringLiteral("Delete");
inline const QString couldNotUpdateWorkspace = QStringLiteral("Couldn\u2019t update the workspace");
inline const QString ok = QStringLiteral("OK");
inline const QString stepsTab = QStringLiteral("Steps");
inline const QString scheduleTab = QStringLiteral("Schedule");
inline const QString historyTab = QStringLiteral("History");
inline const QString chartsTab = QStringLiteral("Charts");
inline const QString detailsTab = QStringLiteral("Details");

} // namespace tavlen::ui::text
