#include "AIModelPaneState.h"
#include "LoginItemSectionState.h"
#include "ProviderKeyFieldsState.h"
#include "SettingsPane.h"
#include "TemporaryDirectory.h"

#include <QSettings>

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

using Activity = ProviderKeySettings::Activity;

TEST(SettingsPaneTest, StoredTextsSizesAndUnknownValues)
{
    struct Row
    {
        const char* stored;
        SettingsPane pane;
        QSize size;
    };

    const Row rows[] = {
        {"general", SettingsPane::general, {640, 460}},
        {"models", SettingsPane::models, {640, 620}},
        {"apiKeys", SettingsPane::apiKeys, {640, 620}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stored);
        EXPECT_EQ(settingsPaneFromStored(QString::fromUtf8(row.stored)), row.pane);
        EXPECT_EQ(storedText(row.pane), QString::fromUtf8(row.stored));
        EXPECT_EQ(settingsContentSize(row.pane), row.size);
    }
    for (const char* unknown : {"", "Models", "keys", "api_keys"}) {
        SCOPED_TRACE(unknown);
        EXPECT_EQ(settingsPaneFromStored(QString::fromUtf8(unknown)), SettingsPane::general);
    }

    test::TemporaryDirectory directory;
    QSettings defaults(QString::fromStdString((directory.path() / "defaults.ini").string()), QSettings::IniFormat);
    EXPECT_EQ(readSettingsPane(defaults), SettingsPane::general);
    writeSettingsPane(defaults, SettingsPane::apiKeys);
    EXPECT_EQ(defaults.value(QStringLiteral("selectedSettingsPane")).toString(), QStringLiteral("apiKeys"));
    EXPECT_EQ(readSettingsPane(defaults), SettingsPane::apiKeys);
    defaults.setValue(QStringLiteral("selectedSettingsPane"), 2);
    EXPECT_EQ(readSettingsPane(defaults), SettingsPane::general);
}

TEST(ProviderKeyFieldsStateTest, TheSectionsStates)
{
    const QString checking = QStringLiteral("Checking saved API key\u2026");

    struct Row
    {
        const char* name;
        std::optional<bool> saved;
        std::optional<Activity> activity;
        std::optional<ProviderKeyError> error;
        std::string draft;
        ProviderKeyFieldsState state;
    };

    const Row rows[] = {
        {"checking",
         std::nullopt,
         Activity::loading,
         std::nullopt,
         "",
         {.saveTitle = QStringLiteral("Save key"), .activityText = checking}},
        {"check failed",
         std::nullopt,
         std::nullopt,
         ProviderKeyError::storage(),
         "",
         {.saveTitle = QStringLiteral("Save key"),
          .errorText = QString::fromUtf8(ProviderKeyError::storage().what()),
          .showsRetry = true}},
        {"no key, nothing typed",
         false,
         std::nullopt,
         std::nullopt,
         "",
         {.statusLabel = QStringLiteral("No API key saved"),
          .fieldEnabled = true,
          .saveTitle = QStringLiteral("Save key")}},
        {"no key, only spaces typed",
         false,
         std::nullopt,
         std::nullopt,
         " \t\n ",
         {.statusLabel = QStringLiteral("No API key saved"),
          .fieldEnabled = true,
          .saveTitle = QStringLiteral("Save key")}},
        {"no key, a key typed",
         false,
         std::nullopt,
         std::nullopt,
         " sk-1 ",
         {.statusLabel = QStringLiteral("No API key saved"),
          .fieldEnabled = true,
          .saveTitle = QStringLiteral("Save key"),
          .saveEnabled = true}},
        {"key saved",
         true,
         std::nullopt,
         std::nullopt,
         "",
         {.statusLabel = QStringLiteral("API key saved"),
          .fieldEnabled = true,
          .saveTitle = QStringLiteral("Replace key"),
          .showsRemove = true,
          .removeEnabled = true}},
        {"key saved, a refused key typed",
         true,
         std::nullopt,
         ProviderKeyError::invalidCharacters(),
         "sk 1",
         {.statusLabel = QStringLiteral("API key saved"),
          .fieldEnabled = true,
          .saveTitle = QStringLiteral("Replace key"),
          .saveEnabled = true,
          .showsRemove = true,
          .removeEnabled = true,
          .errorText = QString::fromUtf8(ProviderKeyError::invalidCharacters().what())}},
        {"saving",
         false,
         Activity::saving,
         std::nullopt,
         "sk-1",
         {.statusLabel = QStringLiteral("No API key saved"),
          .saveTitle = QStringLiteral("Save key"),
          .activityText = QStringLiteral("Saving API key\u2026")}},
        {"removing",
         true,
         Activity::removing,
         std::nullopt,
         "",
         {.statusLabel = QStringLiteral("API key saved"),
          .saveTitle = QStringLiteral("Replace key"),
          .showsRemove = true,
          .activityText = QStringLiteral("Removing API key\u2026")}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(providerKeyFieldsState(row.saved, row.activity, row.error, row.draft), row.state);
    }
    for (const auto provider : ModelSelection::allProviders()) {
        const auto page = providerKeyPage(provider);
        EXPECT_EQ(page.has_value(), provider != ModelSelection::Provider::ollama);
        EXPECT_TRUE(!page || page->scheme() == QStringLiteral("https"));
    }
}

TEST(AIModelPaneStateTest, SectionsAndEnabling)
{
    const ModelRegistry empty;
    ModelRegistry one;
    one.models.push_back({Uuid::random(), {ModelSelection::Provider::openAI, "gpt-5", std::nullopt}});
    one.defaultID = one.models[0].id;
    using Content = AIModelPaneState::Content;

    struct Row
    {
        const char* name;
        const ModelRegistry& registry;
        bool loading, saving, error;
        AIModelPaneState state;
    };

    const Row rows[] = {
        {"loading", empty, true, false, false, {.content = Content::loading, .removeEnabled = true}},
        {"empty",
         empty,
         false,
         false,
         false,
         {.defaultPickerEnabled = true, .content = Content::empty, .addEnabled = true, .removeEnabled = true}},
        {"empty with an error offers Retry",
         empty,
         false,
         false,
         true,
         {.defaultPickerEnabled = true,
          .content = Content::empty,
          .showsError = true,
          .showsRetry = true,
          .addEnabled = true,
          .removeEnabled = true}},
        {"models with an error, no Retry",
         one,
         false,
         false,
         true,
         {.showsDefaultSection = true,
          .defaultPickerEnabled = true,
          .content = Content::rows,
          .showsError = true,
          .addEnabled = true,
          .removeEnabled = true}},
        {"saving disables every change",
         one,
         false,
         true,
         false,
         {.showsDefaultSection = true, .content = Content::rows}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(aiModelPaneState(row.registry, row.loading, row.saving, row.error), row.state);
    }
}

TEST(AIModelPaneStateTest, TheAddModelSheet)
{
    using Provider = ModelSelection::Provider;
    const AddModelSheetState missingKey = addModelSheetState({.provider = Provider::gemini, .needsAPIKey = true});
    EXPECT_EQ(missingKey.sectionHeader, QStringLiteral("Available Gemini models"));
    EXPECT_EQ(missingKey.missingKeyNote, QStringLiteral("Add your Gemini API key in Settings \u2192 API keys first."));
    EXPECT_FALSE(missingKey.showsHost);
    EXPECT_FALSE(missingKey.addEnabled);

    const AddModelSheetState ollama = addModelSheetState({.provider = Provider::ollama, .statusText = "Not connected"});
    EXPECT_EQ(ollama.sectionHeader, QStringLiteral("Ollama server"));
    EXPECT_TRUE(ollama.showsHost);
    EXPECT_EQ(ollama.connectTitle, QStringLiteral("Connect"));
    EXPECT_EQ(ollama.statusText, QStringLiteral("Not connected"));
    EXPECT_FALSE(ollama.showsModelPicker);

    struct Row
    {
        const char* name;
        AddModelFacts facts;
        bool picker, connect, add, form;
    };

    const Row rows[] = {
        {"connecting", {.isConnecting = true}, false, false, false, true},
        {"listed, nothing picked", {.connected = true, .hasModels = true}, true, true, false, true},
        {"listed and picked", {.connected = true, .hasModels = true, .hasSelection = true}, true, true, true, true},
        {"connected, nothing listed", {.connected = true}, false, true, false, true},
        {"saving",
         {.connected = true, .hasModels = true, .hasSelection = true, .isSaving = true},
         true,
         true,
         false,
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const AddModelSheetState state = addModelSheetState(row.facts);
        EXPECT_EQ(state.showsModelPicker, row.picker);
        EXPECT_EQ(state.connectEnabled, row.connect);
        EXPECT_EQ(state.connectTitle, QStringLiteral("Refresh Models"));
        EXPECT_EQ(state.addEnabled, row.add);
        EXPECT_EQ(state.formEnabled, row.form);
        EXPECT_EQ(state.cancelEnabled, row.form);
    }
}

TEST(LoginItemSectionStateTest, ToggleAndNotePerStatus)
{
    EXPECT_EQ(loginItemSectionState(LoginItemStatus::enabled), LoginItemSectionState{.toggleOn = true});
    EXPECT_EQ(loginItemSectionState(LoginItemStatus::notRegistered), LoginItemSectionState{});
    const LoginItemSectionState approval = loginItemSectionState(LoginItemStatus::requiresApproval);
    EXPECT_TRUE(approval.toggleOn);
    EXPECT_TRUE(approval.showsOpenSettings);
    EXPECT_TRUE(approval.note && approval.note->startsWith(QStringLiteral("Approval required.")));
    const LoginItemSectionState notFound = loginItemSectionState(LoginItemStatus::notFound);
    EXPECT_FALSE(notFound.toggleOn);
    EXPECT_FALSE(notFound.showsOpenSettings);
    EXPECT_TRUE(notFound.note && notFound.note->startsWith(QStringLiteral("The login item is unavailable.")));
}

} // namespace
} // namespace tavlen::ui
