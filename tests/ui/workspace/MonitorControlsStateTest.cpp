#include "MonitorControlsState.h"

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

TEST(MonitorControlsStateTest, theCheckButtonFollowsTheFirstStateThatApplies)
{
    MonitorControlsFacts idle;
    MonitorControlsFacts savingResults;
    savingResults.isSavingResults = true;
    savingResults.isRunning = true;
    MonitorControlsFacts stopping;
    stopping.isStopping = true;
    stopping.isRunning = true;
    MonitorControlsFacts running;
    running.isRunning = true;
    MonitorControlsFacts blocked;
    blocked.unavailableReason = "Save monitor changes before running.";

    struct Row
    {
        const char* name;
        MonitorControlsFacts facts;
        ControlButtonLook expected;
    };

    const Row rows[] = {
        {"saving results, even while active",
         savingResults,
         {QStringLiteral("Saving results\u2026"), {}, true, false, QStringLiteral("Saving results\u2026")}},
        {"stopping", stopping, {QStringLiteral("Stopping\u2026"), {}, true, false, QStringLiteral("Stopping\u2026")}},
        {"running",
         running,
         {QStringLiteral("Stop"), QStringLiteral("stop.fill"), false, true, QStringLiteral("Stop execution")}},
        {"blocked",
         blocked,
         {QStringLiteral("Check now"),
          QStringLiteral("play.fill"),
          false,
          false,
          QStringLiteral("Check now \u2014 Save monitor changes before running.")}},
        {"ready",
         idle,
         {QStringLiteral("Check now"),
          QStringLiteral("play.fill"),
          false,
          true,
          QStringLiteral("Check the page again and save the results to History.")}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(checkButtonLook(row.facts), row.expected);
    }
}

TEST(MonitorControlsStateTest, theSaveStatusSaysWhatSavingWouldDo)
{
    const auto session = [](bool loading, std::optional<std::string> error, bool unsaved, bool stored) {
        return MonitorControlsFacts::Session{loading, std::move(error), unsaved, stored};
    };

    struct Row
    {
        const char* name;
        MonitorControlsFacts facts;
        QString expected;
    };

    std::vector<Row> rows;
    const auto add = [&rows](const char* name, auto change, const char* expected) {
        MonitorControlsFacts facts;
        change(facts);
        rows.push_back({name, facts, QString::fromUtf8(expected)});
    };
    add(
        "discarding wins", [](auto& f) { f.isDiscarding = true, f.isSaving = true; }, "Discarding changes\u2026");
    add(
        "saving", [](auto& f) { f.isSaving = true, f.draftSaveError = "No"; }, "Saving\u2026");
    add(
        "a save error",
        [](auto& f) { f.draftSaveError = "Enter a name.", f.hasUnsavedChanges = true; },
        "Enter a name.");
    add(
        "unsaved edits", [](auto& f) { f.hasUnsavedChanges = true; }, "Unsaved changes");
    add(
        "a session error", [&](auto& f) { f.session = session(false, "It failed.", true, true); }, "It failed.");
    add(
        "unsaved Steps", [&](auto& f) { f.session = session(false, std::nullopt, true, true); }, "Unsaved changes");
    add(
        "never saved", [&](auto& f) { f.session = session(false, std::nullopt, false, false); }, "Not saved yet");
    add(
        "saved", [&](auto& f) { f.session = session(false, std::nullopt, false, true); }, "Saved");
    add(
        "loading", [&](auto& f) { f.session = session(true, "It failed.", true, true); }, "Loading steps\u2026");
    add(
        "no session yet", [](auto&) {}, "Loading steps\u2026");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(saveStatusText(row.facts), row.expected);
    }
}

TEST(MonitorControlsStateTest, saveAndDiscardShowWhileEditedAndWaitForNavigation)
{
    MonitorControlsFacts facts;
    EXPECT_FALSE(facts.hasEdits());
    facts.hasUnsavedChanges = true;
    facts.canSave = true;
    facts.canDiscard = true;
    EXPECT_TRUE(facts.hasEdits());
    EXPECT_TRUE(saveButtonLook(facts).enabled);
    EXPECT_EQ(saveButtonLook(facts).tooltip, QStringLiteral("Save (Ctrl+S) \u2014 Unsaved changes"));
    EXPECT_TRUE(discardButtonLook(facts).enabled);

    facts.isNavigating = true;
    EXPECT_FALSE(saveButtonLook(facts).enabled);
    EXPECT_FALSE(discardButtonLook(facts).enabled);

    MonitorControlsFacts saving;
    saving.isSaving = true;
    EXPECT_TRUE(saving.hasEdits());
    EXPECT_EQ(
        saveButtonLook(saving),
        (ControlButtonLook{
            QStringLiteral("Saving\u2026"), {}, true, false, QStringLiteral("Save (Ctrl+S) \u2014 Saving\u2026")}));
    MonitorControlsFacts discarding;
    discarding.isDiscarding = true;
    EXPECT_EQ(discardButtonLook(discarding).title, QStringLiteral("Discarding changes\u2026"));
    EXPECT_TRUE(discardButtonLook(discarding).busy);
}

} // namespace
} // namespace tavlen::ui
