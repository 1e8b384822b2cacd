#include "SQLiteModelRepository.h"

#include "MonitorStoreError.h"
#include "SQLiteStepsRepository.h"
#include "StorageMessages.h"
#include "WorkspaceFixture.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <optional>
#include <string>
#include <vector>

namespace tavlen {
namespace {

using Provider = ModelSelection::Provider;
using test::numberField;
using test::sampleDocument;

const std::string notConfigured = storage_messages::modelNoLongerConfigured;

ModelSelection cloud(Provider provider, std::string identifier)
{
    return {provider, std::move(identifier), std::nullopt};
}

ModelSelection ollama(std::string identifier, std::string host)
{
    return {Provider::ollama, std::move(identifier), std::move(host)};
}

class SQLiteModelRepositoryTest : public test::WorkspaceFixture
{
protected:
    ModelRegistry add(ModelSelection selection) { return finish(m_repository.add(std::move(selection))); }

    ModelRegistry registry() { return finish(m_repository.registry()); }

    // The id of the configured model with this selection.
    Uuid idOf(const ModelSelection& selection)
    {
        for (const ConfiguredModel& model : registry().models) {
            if (model.selection == selection) {
                return model.id;
            }
        }
        ADD_FAILURE() << "not configured: " << selection.modelIdentifier;
        return Uuid::random();
    }

    // A monitor whose saved workflow reads with the given model.
    Uuid saveMonitorUsing(const std::string& name, const Uuid& modelID)
    {
        const Uuid monitor = insertMonitor(name);
        finish(m_steps.saveSteps(monitor, std::nullopt, StepsWorkflow{sampleDocument(modelID, {{numberField("A")}})}));
        return monitor;
    }

    // Runs sql on a connection of its own without foreign keys, as another program could write the file.
    void executeOutside(const std::string& sql)
    {
        queryText("SELECT 1"); // the file exists and has its schema
        sqlite3* handle = nullptr;
        ASSERT_EQ(sqlite3_open((m_directory / "Tavlen.sqlite").c_str(), &handle), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(handle);
        sqlite3_close(handle);
    }

    SQLiteModelRepository m_repository{m_database};
    SQLiteStepsRepository m_steps{m_database};
};

TEST_F(SQLiteModelRepositoryTest, theFirstModelBecomesTheDefaultAndModelsAreListedByStoredProviderThenBytes)
{
    EXPECT_EQ(registry(), ModelRegistry());

    const ModelRegistry first = add(cloud(Provider::openAI, "gpt-4o"));
    ASSERT_EQ(first.models.size(), 1u);
    EXPECT_EQ(first.defaultID, first.models[0].id);
    EXPECT_EQ(first.defaultModel()->selection, cloud(Provider::openAI, "gpt-4o"));
    EXPECT_EQ(queryText("SELECT default_model_id FROM app_settings"), first.models[0].id.lowercaseString());

    add(cloud(Provider::gemini, "gemini-2.5-pro"));
    add(ollama("llama3", "http://localhost:11434"));
    add(cloud(Provider::anthropic, "claude-b"));
    const ModelRegistry all = add(cloud(Provider::anthropic, "Claude-z"));

    std::vector<std::string> listed;
    for (const ConfiguredModel& model : all.models) {
        listed.push_back(std::string(ModelSelection::storedText(model.selection.provider)) + " " +
                         model.selection.modelIdentifier);
    }
    EXPECT_EQ(
        listed,
        (std::vector<std::string>{
            "anthropic Claude-z", "anthropic claude-b", "gemini gemini-2.5-pro", "ollama llama3", "openAI gpt-4o"}));
    EXPECT_EQ(all.defaultID, first.defaultID);
    EXPECT_EQ(registry(), all);
}

TEST_F(SQLiteModelRepositoryTest, aModelIsConfiguredOncePerProviderIdentifierAndHost)
{
    add(cloud(Provider::openAI, "gpt-4o"));
    add(ollama("llama3", "http://localhost:11434"));

    struct Case
    {
        const char* name;
        ModelSelection selection;
        bool added;
    };

    const Case cases[] = {
        {"the same OpenAI model", cloud(Provider::openAI, "gpt-4o"), false},
        {"the same Ollama model on the same server", ollama("llama3", "http://localhost:11434"), false},
        {"the same identifier on another Ollama server", ollama("llama3", "http://10.0.0.2:11434"), true},
        {"the same identifier from another provider", cloud(Provider::anthropic, "gpt-4o"), true},
        {"an identifier differing in case", cloud(Provider::openAI, "GPT-4o"), true},
    };
    std::int64_t rows = count("configured_models");
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        if (row.added) {
            EXPECT_TRUE(add(row.selection).model(idOf(row.selection)));
            ++rows;
        } else {
            EXPECT_EQ(storeErrorOf(m_repository.add(row.selection)),
                      MonitorStoreError::validation("This model is already configured."));
        }
        EXPECT_EQ(count("configured_models"), rows);
    }
}

TEST_F(SQLiteModelRepositoryTest, canonicallyEquivalentIdentifiersAreOneModel)
{
    add(cloud(Provider::openAI, "mod\u00E8le"));
    EXPECT_EQ(storeErrorOf(m_repository.add(cloud(Provider::openAI, "mode\u0300le"))),
              MonitorStoreError::validation("This model is already configured."));
    EXPECT_EQ(count("configured_models"), 1);
}

// Every selection is checked as it will be read back, so the registry stays readable whatever a caller passes.
TEST_F(SQLiteModelRepositoryTest, aSelectionThatWouldNotReadBackIsRefusedAndNothingIsStored)
{
    add(cloud(Provider::openAI, "gpt-4o"));
    const ModelRegistry before = registry();

    struct Case
    {
        const char* name;
        ModelSelection selection;
        MonitorStoreError error;
    };

    const Case cases[] = {
        {"an empty identifier", cloud(Provider::openAI, ""), MonitorStoreError::invalidStoredData()},
        {"an identifier with a space", cloud(Provider::openAI, "gpt 4o"), MonitorStoreError::invalidStoredData()},
        {"a Gemini identifier with its models/ prefix",
         cloud(Provider::gemini, "models/gemini-pro"),
         MonitorStoreError::invalidStoredData()},
        {"an OpenAI model with a host",
         ModelSelection{Provider::openAI, "gpt-5", "http://localhost:11434"},
         MonitorStoreError::invalidStoredData()},
        {"an Ollama host not in normal form",
         ollama("llama3", "http://LOCALHOST:11434/"),
         MonitorStoreError::invalidStoredData()},
        {"an Ollama model without a host",
         ModelSelection{Provider::ollama, "llama3", std::nullopt},
         MonitorStoreError::invalidStoredData()},
        {"an Ollama host that is no server address",
         ollama("llama3", "ftp://localhost"),
         MonitorStoreError::validation(storage_messages::ollamaHostFormat)},
        {"an identifier over 256 bytes",
         cloud(Provider::openAI, std::string(257, 'a')),
         MonitorStoreError::invalidStoredData()},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(storeErrorOf(m_repository.add(row.selection)), row.error);
        EXPECT_EQ(registry(), before);
    }
}

TEST_F(SQLiteModelRepositoryTest, theDefaultMovesOnlyToAConfiguredModel)
{
    const Uuid first = add(cloud(Provider::openAI, "gpt-4o")).models.at(0).id;
    add(cloud(Provider::openAI, "gpt-5"));
    const Uuid second = idOf(cloud(Provider::openAI, "gpt-5"));

    EXPECT_EQ(finish(m_repository.setDefault(second)).defaultID, second);
    EXPECT_EQ(storeErrorOf(m_repository.setDefault(Uuid::random())), MonitorStoreError::validation(notConfigured));

    // Another window removes the model this one is about to make the default.
    finish(m_repository.remove(first));
    EXPECT_EQ(storeErrorOf(m_repository.setDefault(first)), MonitorStoreError::validation(notConfigured));
    EXPECT_EQ(registry().defaultID, second);
}

TEST_F(SQLiteModelRepositoryTest, theDefaultIsRemovedOnlyAsTheLastModel)
{
    const Uuid first = add(cloud(Provider::openAI, "gpt-4o")).models.at(0).id;
    const ModelRegistry both = add(cloud(Provider::anthropic, "claude-x"));
    const Uuid second = idOf(cloud(Provider::anthropic, "claude-x"));

    EXPECT_EQ(storeErrorOf(m_repository.remove(first)),
              MonitorStoreError::validation("Choose another default model before removing this one."));
    EXPECT_EQ(storeErrorOf(m_repository.remove(Uuid::random())), MonitorStoreError::validation(notConfigured));
    EXPECT_EQ(registry(), both);

    const ModelRegistry one = finish(m_repository.remove(second));
    ASSERT_EQ(one.models.size(), 1u);
    EXPECT_EQ(one.defaultID, first);

    EXPECT_EQ(finish(m_repository.remove(first)), ModelRegistry());
    EXPECT_EQ(queryText("SELECT default_model_id FROM app_settings"), "NULL");
    EXPECT_EQ(count("configured_models"), 0);
}

TEST_F(SQLiteModelRepositoryTest, aModelUsedBySavedReadStepsIsKeptUntilTheyAreReassigned)
{
    const Uuid kept = add(cloud(Provider::openAI, "gpt-4o")).models.at(0).id;
    add(cloud(Provider::openAI, "gpt-5"));
    const Uuid used = idOf(cloud(Provider::openAI, "gpt-5"));
    const Uuid zeta = saveMonitorUsing("Zeta", used);
    const Uuid alpha = saveMonitorUsing("Alpha", used);
    saveMonitorUsing("Beta", kept);
    insertMonitor("No steps yet");

    EXPECT_EQ(storeErrorOf(m_repository.remove(used)),
              MonitorStoreError::validation(
                  "Reassign or delete the Read steps using this model in these monitors first: Alpha, Zeta."));
    EXPECT_EQ(registry().models.size(), 2u);

    for (const Uuid& monitor : {zeta, alpha}) {
        finish(m_steps.saveSteps(monitor, 1, StepsWorkflow{sampleDocument(kept, {{numberField("A")}})}));
    }
    EXPECT_EQ(finish(m_repository.remove(used)).models.size(), 1u);
}

TEST_F(SQLiteModelRepositoryTest, aSavedWorkflowThatCannotBeReadBlocksEveryRemoval)
{
    const Uuid model = add(cloud(Provider::openAI, "gpt-4o")).models.at(0).id;
    const Uuid monitor = insertMonitor("Later format");
    execute("INSERT INTO monitor_steps VALUES ('" + monitor.lowercaseString() + "', 1, 2, '{}')");
    EXPECT_EQ(storeErrorOf(m_repository.remove(model)), MonitorStoreError::unsupportedStepsFormat(2));

    execute("UPDATE monitor_steps SET format_version = 1, workflow_json = '{\"steps\": 3}'");
    EXPECT_EQ(storeErrorOf(m_repository.remove(model)), MonitorStoreError::invalidStoredData());
    EXPECT_EQ(count("configured_models"), 1);
}

TEST_F(SQLiteModelRepositoryTest, aRegistryThatBreaksItsRulesIsReportedNotRepaired)
{
    const Uuid model = add(cloud(Provider::openAI, "gpt-4o")).models.at(0).id;
    const std::string id = model.lowercaseString();

    const std::pair<const char*, std::string> cases[] = {
        {"no default while models exist", "UPDATE app_settings SET default_model_id = NULL"},
        {"a default naming no model",
         "UPDATE app_settings SET default_model_id = '" + Uuid::random().lowercaseString() + "'"},
        {"a default that is no UUID", "UPDATE app_settings SET default_model_id = 'default'"},
        {"a default over an empty list",
         "DELETE FROM configured_models; UPDATE app_settings SET default_model_id = '" + id + "'"},
        {"no settings row", "DELETE FROM app_settings"},
        {"a model row that does not decode",
         "INSERT INTO configured_models VALUES ('not a uuid', 'openAI', 'gpt-5', '')"},
    };
    for (const auto& [name, sql] : cases) {
        SCOPED_TRACE(name);
        executeOutside(sql);
        EXPECT_EQ(storeErrorOf(m_repository.registry()), MonitorStoreError::invalidStoredData());
        executeOutside("DELETE FROM configured_models; DELETE FROM app_settings; "
                       "INSERT INTO app_settings (id, default_model_id) VALUES (1, '" +
                       id +
                       "'); "
                       "INSERT INTO configured_models VALUES ('" +
                       id + "', 'openAI', 'gpt-4o', '')");
        EXPECT_EQ(registry().defaultID, model);
    }
}

} // namespace
} // namespace tavlen
