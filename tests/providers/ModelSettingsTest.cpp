#include "ModelSettings.h"

#include "LoopbackHttpServer.h"
#include "OllamaHTTPTransport.h"
#include "OpenAIHTTPTransport.h"
#include "ProviderAnswers.h"
#include "SQLiteModelRepository.h"
#include "SQLiteProviderKeyStore.h"
#include "Sleep.h"
#include "VirtualTime.h"
#include "WaitUntil.h"
#include "WorkspaceFixture.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>

namespace tavlen {
namespace {

using Provider = ModelSelection::Provider;

const ModelSelection gpt4o{Provider::openAI, "gpt-4o", std::nullopt};
const ModelSelection gpt5{Provider::openAI, "gpt-5", std::nullopt};

// The workspace's repository, counting the reads that reach it. With a pause, every operation first waits that
// long on the virtual clock, so a test can act while one runs (the database may answer without suspending).
class PausingRepository final : public ModelRepository
{
public:
    PausingRepository(MonitorDatabase& database, const test::VirtualTime& time)
        : m_inner(database)
        , m_time(time)
    {}

    std::atomic<int> reads{0};
    std::chrono::milliseconds pause{0};

    QCoro::Task<ModelRegistry> registry(std::stop_token token) override
    {
        ++reads;
        co_await waitForPause(token);
        auto reading = m_inner.registry(token);
        co_return co_await std::move(reading);
    }

    QCoro::Task<ModelRegistry> add(ModelSelection selection, std::stop_token token) override
    {
        co_await waitForPause(token);
        auto adding = m_inner.add(std::move(selection), token);
        co_return co_await std::move(adding);
    }

    QCoro::Task<ModelRegistry> setDefault(Uuid modelID, std::stop_token token) override
    {
        co_await waitForPause(token);
        auto setting = m_inner.setDefault(modelID, token);
        co_return co_await std::move(setting);
    }

    QCoro::Task<ModelRegistry> remove(Uuid modelID, std::stop_token token) override
    {
        co_await waitForPause(token);
        auto removing = m_inner.remove(modelID, token);
        co_return co_await std::move(removing);
    }

private:
    QCoro::Task<void> waitForPause(std::stop_token token)
    {
        if (pause > std::chrono::milliseconds::zero()) {
            co_await sleepFor(pause, token, m_time);
        }
    }

    SQLiteModelRepository m_inner;
    const test::VirtualTime& m_time;
};

class ModelSettingsTest : public test::WorkspaceFixture
{
protected:
    ModelSettingsTest()
    {
        m_server.respond("/v1/models", test::ScriptedAnswer::json(200, test::openAIModelList({"gpt-4o", "gpt-5"})));
    }

    void TearDown() override { test::flushDeferredDeletes(); }

    std::unique_ptr<ModelDiscovery> makeDiscovery()
    {
        const std::string base = m_server.baseURL() + "/v1/";
        return std::make_unique<ModelDiscovery>(
            ModelDiscovery::KeyStores{{Provider::openAI, m_openAIKey}},
            std::make_shared<CloudModelClient>(nullptr),
            std::make_shared<OllamaClient>(std::make_shared<OllamaHTTPTransport>()),
            std::make_shared<OpenAIHTTPTransport>(QUrl(QString::fromStdString(base))));
    }

    // Lists the OpenAI models in the sheet and picks one.
    void pick(const std::string& identifier)
    {
        ModelDiscovery& discovery = m_settings.discovery();
        discovery.appear();
        test::waitUntil([&] { return !discovery.isConnecting(); });
        discovery.setSelectedModelIdentifier(identifier);
        ASSERT_TRUE(discovery.selection());
    }

    void load() { finish(m_settings.load()); }

    bool add() { return finish(m_settings.add()); }

    bool apply(ModelSettings::Change change) { return finish(m_settings.applyChange(std::move(change))); }

    test::LoopbackHttpServer m_server;
    std::shared_ptr<SQLiteProviderKeyStore> m_openAIKey =
        std::make_shared<SQLiteProviderKeyStore>(m_database, Provider::openAI);
    test::VirtualTime m_time;
    std::shared_ptr<PausingRepository> m_repository = std::make_shared<PausingRepository>(m_database, m_time);
    ModelSettings m_settings{m_repository, makeDiscovery()};
};

TEST_F(ModelSettingsTest, beforeTheFirstLoadNothingChangesAndTheDatabaseIsNotTouched)
{
    EXPECT_EQ(m_settings.registry(), ModelRegistry());
    EXPECT_TRUE(m_settings.isLoading());
    EXPECT_FALSE(m_settings.isSaving());

    EXPECT_FALSE(apply(m_settings.setDefaultChange(Uuid::random())));
    EXPECT_FALSE(apply(m_settings.removeChange(Uuid::random())));
    EXPECT_FALSE(add());
    EXPECT_EQ(m_settings.error(), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(m_directory / "Tavlen.sqlite"));
}

// Two loads close together (the workspace's and the pane's) read once, and the second ends with the first's
// registry instead of returning while it is still empty.
TEST_F(ModelSettingsTest, aLoadAskedForWhileOneRunsWaitsForItsRegistry)
{
    const Uuid model = insertModel("gpt-4o");
    execute("UPDATE app_settings SET default_model_id = '" + model.lowercaseString() + "'");
    QSignalSpy loading(&m_settings, &ModelSettings::isLoadingChanged);
    m_repository->pause = std::chrono::seconds(1);

    QCoro::Task<void> first = m_settings.load();
    QCoro::Task<void> second = m_settings.load();
    EXPECT_FALSE(second.isReady());
    m_time.advance(std::chrono::seconds(1));
    finish(std::move(second));

    EXPECT_EQ(m_settings.registry().defaultID, model);
    EXPECT_FALSE(m_settings.isLoading());
    EXPECT_EQ(m_repository->reads, 1);
    finish(std::move(first));
    EXPECT_EQ(loading.count(), 1); // true from the start, false once
    EXPECT_EQ(m_settings.error(), std::nullopt);
}

TEST_F(ModelSettingsTest, aFailedLoadKeepsThePreviousRegistryAndARetryRecovers)
{
    load();
    const Uuid model = insertModel("gpt-4o"); // a model without the default it must have
    load();
    EXPECT_EQ(m_settings.error(), MonitorStoreError::invalidStoredData().errorDescription());
    EXPECT_EQ(m_settings.registry(), ModelRegistry());
    EXPECT_FALSE(m_settings.isLoading());

    execute("UPDATE app_settings SET default_model_id = '" + model.lowercaseString() + "'");
    load();
    EXPECT_EQ(m_settings.error(), std::nullopt);
    EXPECT_EQ(m_settings.registry().models.size(), 1u);
}

TEST_F(ModelSettingsTest, addingThePickedModelPublishesTheRegistryReadBack)
{
    finish(m_openAIKey->save("sk-test"));
    load();
    QSignalSpy registryChanges(&m_settings, &ModelSettings::registryChanged);

    pick("gpt-5");
    EXPECT_TRUE(add());
    ASSERT_EQ(m_settings.registry().models.size(), 1u);
    EXPECT_EQ(m_settings.registry().defaultModel()->selection, gpt5);
    EXPECT_FALSE(m_settings.isSaving());
    EXPECT_EQ(registryChanges.count(), 1);

    EXPECT_FALSE(add());
    EXPECT_EQ(m_settings.error(), "This model is already configured.");
    EXPECT_EQ(m_settings.registry().models.size(), 1u);

    // Without a pick nothing is tried, and the error shown stays.
    m_settings.discovery().setSelectedModelIdentifier(std::nullopt);
    EXPECT_FALSE(add());
    EXPECT_EQ(m_settings.error(), "This model is already configured.");
    m_settings.clearError();
    EXPECT_EQ(m_settings.error(), std::nullopt);
}

TEST_F(ModelSettingsTest, changesKeepTheDefaultNamingAConfiguredModel)
{
    finish(m_openAIKey->save("sk-test"));
    load();
    pick("gpt-4o");
    ASSERT_TRUE(add());
    pick("gpt-5");
    ASSERT_TRUE(add());
    const ModelRegistry both = m_settings.registry();
    const Uuid first = both.models.at(0).id;
    const Uuid second = both.models.at(1).id;
    ASSERT_EQ(both.defaultID, first);

    EXPECT_FALSE(apply(m_settings.removeChange(first)));
    EXPECT_EQ(m_settings.error(), "Choose another default model before removing this one.");
    EXPECT_EQ(m_settings.registry(), both);

    EXPECT_TRUE(apply(m_settings.setDefaultChange(second)));
    EXPECT_EQ(m_settings.error(), std::nullopt);
    EXPECT_TRUE(apply(m_settings.removeChange(first)));
    EXPECT_EQ(m_settings.registry().defaultModel()->selection, gpt5);

    EXPECT_FALSE(apply(m_settings.setDefaultChange(first)));
    EXPECT_EQ(m_settings.error(), "This model is no longer configured. Select another model.");

    EXPECT_TRUE(apply(m_settings.removeChange(second)));
    EXPECT_EQ(m_settings.registry(), ModelRegistry());
}

TEST_F(ModelSettingsTest, aChangeIsRefusedWhileAnotherRunsAndALoadThenReturnsAtOnce)
{
    load();
    m_repository->pause = std::chrono::seconds(1);
    QCoro::Task<bool> running = m_settings.applyChange(m_settings.removeChange(Uuid::random()));
    ASSERT_TRUE(m_settings.isSaving());

    EXPECT_FALSE(apply(m_settings.setDefaultChange(Uuid::random())));
    const int reads = m_repository->reads;
    load();
    EXPECT_EQ(m_repository->reads, reads);
    EXPECT_TRUE(m_settings.isSaving());

    m_time.advance(std::chrono::seconds(1));
    EXPECT_FALSE(finish(std::move(running)));
    EXPECT_EQ(m_settings.error(), "This model is no longer configured. Select another model.");
    EXPECT_FALSE(m_settings.isSaving());
}

TEST_F(ModelSettingsTest, anInitialRegistryNeedsNoLoad)
{
    ModelRegistry initial;
    initial.models.push_back({Uuid::random(), gpt4o});
    initial.defaultID = initial.models[0].id;
    const ModelSettings settings(m_repository, makeDiscovery(), initial);
    EXPECT_EQ(settings.registry(), initial);
    EXPECT_FALSE(settings.isLoading());
}

} // namespace
} // namespace tavlen
