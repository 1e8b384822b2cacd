#include "ProviderKeySettings.h"

#include "BoundedWait.h"
#include "EventLoopTest.h"
#include "MonitorDatabase.h"
#include "ProviderKeyError.h"
#include "SQLiteProviderKeyStore.h"
#include "TemporaryDirectory.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tavlen {
namespace {

using Activity = ProviderKeySettings::Activity;

class ProviderKeySettingsTest : public test::EventLoopTest
{
protected:
    ProviderKeySettingsTest()
    {
        m_settings.onCredentialsWillChange = [this] { m_hooks.push_back("willChange"); };
        m_settings.onWillRemove = [this] { m_hooks.push_back("willRemove"); };
        m_settings.onCredentialsChanged = [this] { m_hooks.push_back("changed"); };
    }

    void waitUntilIdle(ProviderKeySettings& settings)
    {
        test::waitUntil([&] { return !settings.activity(); });
    }

    // Shows the pane and waits for its lookup.
    void showPane()
    {
        m_settings.appear();
        waitUntilIdle(m_settings);
    }

    test::TemporaryDirectory m_directory;
    MonitorDatabase m_database{m_directory / "Tavlen.sqlite"};
    std::shared_ptr<SQLiteProviderKeyStore> m_store =
        std::make_shared<SQLiteProviderKeyStore>(m_database, ModelSelection::Provider::anthropic);
    ProviderKeySettings m_settings{ModelSelection::Provider::anthropic, m_store};
    std::vector<std::string> m_hooks;
};

TEST_F(ProviderKeySettingsTest, startsUnknownAndIdleAndLearnsWhetherAKeyIsSaved)
{
    EXPECT_EQ(m_settings.hasSavedKey(), std::nullopt);
    EXPECT_EQ(m_settings.activity(), std::nullopt);
    EXPECT_FALSE(m_settings.canRemove());

    m_settings.appear();
    EXPECT_EQ(m_settings.activity(), Activity::loading);
    waitUntilIdle(m_settings);
    EXPECT_EQ(m_settings.hasSavedKey(), false);
    EXPECT_TRUE(m_hooks.empty());
}

TEST_F(ProviderKeySettingsTest, savingStoresTheTrimmedDraftAndCallsTheHooksAroundIt)
{
    showPane();
    m_settings.setDraft("  sk-ant-key \n");
    m_settings.save();
    EXPECT_EQ(m_settings.activity(), Activity::saving);
    EXPECT_EQ(m_hooks, std::vector<std::string>{"willChange"});
    waitUntilIdle(m_settings);

    EXPECT_EQ(m_settings.hasSavedKey(), true);
    EXPECT_EQ(m_settings.draft(), "");
    EXPECT_EQ(m_hooks, (std::vector<std::string>{"willChange", "changed"}));
    EXPECT_EQ(test::waitBounded(m_store->apiKey()), "sk-ant-key");
    EXPECT_TRUE(m_settings.canRemove());
}

TEST_F(ProviderKeySettingsTest, aDraftThatBreaksTheRuleShowsItsErrorAndWritesNothing)
{
    showPane();
    m_settings.setDraft("sk ant");
    m_settings.save();
    EXPECT_EQ(m_settings.error(), ProviderKeyError::invalidCharacters());
    EXPECT_EQ(m_settings.activity(), std::nullopt);
    EXPECT_TRUE(m_hooks.empty());
    EXPECT_FALSE(test::waitBounded(m_store->hasKey()));

    m_settings.setDraft("sk ant"); // the same text keeps the error
    EXPECT_TRUE(m_settings.error());
    m_settings.setDraft(" ");
    EXPECT_FALSE(m_settings.error());
    m_settings.save();
    EXPECT_EQ(m_settings.error(), ProviderKeyError::empty());
}

TEST_F(ProviderKeySettingsTest, saveIsIgnoredBeforeTheLookupAndWhileAnOperationRuns)
{
    m_settings.setDraft("sk-key");
    m_settings.save();
    EXPECT_EQ(m_settings.activity(), std::nullopt);

    m_settings.appear();
    m_settings.save(); // the lookup is running
    waitUntilIdle(m_settings);
    EXPECT_TRUE(m_hooks.empty());
    EXPECT_EQ(m_settings.hasSavedKey(), false);
}

TEST_F(ProviderKeySettingsTest, removingDeletesTheKeyWithItsHooksInOrder)
{
    test::waitBounded(m_store->save("sk-key"));
    showPane();
    ASSERT_TRUE(m_settings.canRemove());

    m_settings.remove();
    EXPECT_EQ(m_settings.activity(), Activity::removing);
    EXPECT_EQ(m_hooks, (std::vector<std::string>{"willChange", "willRemove"}));
    waitUntilIdle(m_settings);
    EXPECT_EQ(m_hooks, (std::vector<std::string>{"willChange", "willRemove", "changed"}));
    EXPECT_EQ(m_settings.hasSavedKey(), false);
    EXPECT_FALSE(test::waitBounded(m_store->hasKey()));

    m_settings.remove(); // nothing saved: nothing happens
    EXPECT_EQ(m_hooks.size(), 3u);
}

TEST_F(ProviderKeySettingsTest, showingThePaneDuringASaveLooksTheKeyUpAfterIt)
{
    showPane();
    m_settings.disappear();
    m_settings.setDraft("sk-key");
    m_settings.save();
    std::vector<std::optional<Activity>> activities;
    QObject::connect(
        &m_settings, &ProviderKeySettings::activityChanged, [&] { activities.push_back(m_settings.activity()); });
    m_settings.appear();
    test::waitUntil([&] { return activities.size() == 3; });
    EXPECT_EQ(activities, (std::vector<std::optional<Activity>>{std::nullopt, Activity::loading, std::nullopt}));
    EXPECT_EQ(m_settings.hasSavedKey(), true);
}

TEST_F(ProviderKeySettingsTest, failuresAreShownOnlyWhileThePaneIsVisible)
{
    MonitorDatabase nowhere(std::nullopt);
    ProviderKeySettings settings(ModelSelection::Provider::gemini,
                                 std::make_shared<SQLiteProviderKeyStore>(nowhere, ModelSelection::Provider::gemini));
    settings.refresh();
    waitUntilIdle(settings);
    EXPECT_EQ(settings.hasSavedKey(), std::nullopt);
    EXPECT_EQ(settings.error(), std::nullopt);

    settings.appear();
    waitUntilIdle(settings);
    EXPECT_EQ(settings.hasSavedKey(), std::nullopt);
    EXPECT_EQ(settings.error(), ProviderKeyError::storage());

    settings.setDraft("draft");
    settings.disappear();
    EXPECT_EQ(settings.error(), std::nullopt);
    EXPECT_EQ(settings.draft(), "");
}

TEST_F(ProviderKeySettingsTest, aFailedSaveKeepsTheDraftAndTheSavedState)
{
    // The table refuses an Ollama key, so its save fails in the database.
    ProviderKeySettings settings(
        ModelSelection::Provider::ollama,
        std::make_shared<SQLiteProviderKeyStore>(m_database, ModelSelection::Provider::ollama));
    settings.appear();
    waitUntilIdle(settings);
    settings.setDraft("key");
    settings.save();
    waitUntilIdle(settings);
    EXPECT_EQ(settings.error(), ProviderKeyError::storage());
    EXPECT_EQ(settings.draft(), "key");
    EXPECT_EQ(settings.hasSavedKey(), false);
}

} // namespace
} // namespace tavlen
