#include "SQLiteStepsRepository.h"

#include "ConfiguredModelLookup.h"
#include "StorageMessages.h"
#include "WorkspaceFixture.h"

#include <gtest/gtest.h>

#include <limits>

namespace tavlen {
namespace {

using test::numberField;
using test::sampleDocument;
using test::textField;

class SQLiteStepsRepositoryTest : public test::WorkspaceFixture
{
protected:
    SavedSteps save(std::optional<std::int64_t> expected, const StepsDocument& document)
    {
        return finish(m_repository.saveSteps(m_monitor, expected, StepsWorkflow{document}));
    }

    MonitorStoreError saveError(std::optional<std::int64_t> expected, const StepsDocument& document)
    {
        return storeErrorOf(m_repository.saveSteps(m_monitor, expected, StepsWorkflow{document}));
    }

    bool modelsAvailable()
    {
        return finish(m_database.read(
            [id = m_monitor](SqliteConnection& c) { return SQLiteStepsRepository::stepsModelsAvailable(c, id); }));
    }

    SQLiteStepsRepository m_repository{m_database};
    Uuid m_monitor = insertMonitor();
    Uuid m_model = insertModel();
};

TEST_F(SQLiteStepsRepositoryTest, savesRaiseTheVersionOnlyWhenTheDocumentChanges)
{
    EXPECT_EQ(finish(m_repository.savedSteps(m_monitor)), std::nullopt);
    const StepsDocument first = sampleDocument(m_model, {{numberField("Price")}});
    EXPECT_EQ(save(std::nullopt, first).version, 1);
    const std::string stored = queryText("SELECT workflow_json FROM monitor_steps");
    EXPECT_NE(stored.find(m_model.uppercaseString()), std::string::npos);
    EXPECT_EQ(queryText("SELECT monitor_id FROM monitor_steps"), m_monitor.lowercaseString());

    StepsDocument second = first;
    std::get<StepsDocument::Read>(second.steps[1].content).fields[0].name = "Cafe\xCC\x81";
    EXPECT_EQ(save(1, second).version, 2);
    StepsDocument composed = second;
    std::get<StepsDocument::Read>(composed.steps[1].content).fields[0].name = "Caf\xC3\xA9";
    EXPECT_EQ(save(2, composed).version, 3);
    EXPECT_EQ(save(3, composed).version, 3);
    EXPECT_EQ(finish(m_repository.savedSteps(m_monitor)), (SavedSteps{3, StepsWorkflow{composed}}));

    // A stale writer of the very document now stored still loses.
    EXPECT_EQ(saveError(2, composed), MonitorStoreError::staleEdit());
}

TEST_F(SQLiteStepsRepositoryTest, aSaveThatFailsWritesNothing)
{
    const StepsDocument valid = sampleDocument(m_model, {{numberField("Price")}});
    StepsDocument ftp = valid;
    std::get<StepsDocument::OpenPage>(ftp.steps[0].content).url = "ftp://example.com";
    StepsDocument noModel = sampleDocument(std::nullopt, {{numberField("Price")}});
    StepsDocument goneModel = sampleDocument(Uuid::random(), {{numberField("Price")}});
    StepsDocument readFirst = valid;
    std::swap(readFirst.steps[0], readFirst.steps[1]);

    struct Row
    {
        const char* name;
        std::optional<std::int64_t> expected;
        StepsDocument document;
        MonitorStoreError error;
    };

    const Row rows[] = {
        {"a first save that expects a version", 3, valid, MonitorStoreError::staleEdit()},
        {"an ftp address", std::nullopt, ftp, MonitorStoreError::validation("Enter a complete HTTP(S) URL.")},
        {"a Read step without a model",
         std::nullopt,
         noModel,
         MonitorStoreError::validation(storage_messages::selectModelInEveryReadStep)},
        {"a model that is no longer configured",
         std::nullopt,
         goneModel,
         MonitorStoreError::validation(storage_messages::modelNoLongerConfigured)},
        {"a Read step first", std::nullopt, readFirst, MonitorStoreError::invalidStoredData()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(saveError(row.expected, row.document), row.error);
        EXPECT_EQ(count("monitor_steps"), 0);
    }

    save(std::nullopt, valid);
    StepsDocument changed = valid;
    std::get<StepsDocument::OpenPage>(changed.steps[0].content).delay = 9;
    EXPECT_EQ(saveError(std::nullopt, changed), MonitorStoreError::staleEdit());
    execute("UPDATE monitor_steps SET version = 9223372036854775807");
    EXPECT_EQ(saveError(std::numeric_limits<std::int64_t>::max(), changed), MonitorStoreError::invalidStoredData());
    EXPECT_EQ(finish(m_repository.savedSteps(m_monitor))->workflow.document, valid);

    const Uuid gone = Uuid::random();
    EXPECT_EQ(storeErrorOf(m_repository.saveSteps(gone, std::nullopt, StepsWorkflow{valid})),
              MonitorStoreError::missingMonitor());
    EXPECT_EQ(storeErrorOf(m_repository.savedSteps(gone)), MonitorStoreError::missingMonitor());
    EXPECT_EQ(storeErrorOf(m_repository.savedExecution(gone)), MonitorStoreError::missingMonitor());
}

TEST_F(SQLiteStepsRepositoryTest, theSavedExecutionCarriesEachReadStepsModel)
{
    EXPECT_EQ(finish(m_repository.savedExecution(m_monitor)), SavedExecution{});
    EXPECT_TRUE(modelsAvailable());

    const StepsDocument document = sampleDocument(m_model, {{numberField("Price")}, {textField("Stock")}});
    save(std::nullopt, document);
    const SavedExecution execution = finish(m_repository.savedExecution(m_monitor));
    const ModelSelection selection{ModelSelection::Provider::openAI, "gpt-4o", std::nullopt};
    EXPECT_EQ(execution.steps, (SavedSteps{1, StepsWorkflow{document}}));
    EXPECT_EQ(execution.models,
              (std::unordered_map<Uuid, ModelSelection>{{document.steps[1].id, selection},
                                                        {document.steps[2].id, selection}}));
    EXPECT_TRUE(modelsAvailable());

    execute("DELETE FROM configured_models");
    EXPECT_FALSE(modelsAvailable());
    EXPECT_EQ(storeErrorOf(m_repository.savedExecution(m_monitor)),
              MonitorStoreError::validation(storage_messages::modelNoLongerConfigured));
    EXPECT_EQ(finish(m_repository.savedSteps(m_monitor))->workflow.document, document);
}

TEST_F(SQLiteStepsRepositoryTest, storedRowsThatBreakTheRulesAreReportedNotRepaired)
{
    const StepsDocument document = sampleDocument(m_model, {{numberField("Price")}});
    save(std::nullopt, document);
    const std::string original = queryText("SELECT workflow_json FROM monitor_steps");

    execute("UPDATE monitor_steps SET format_version = 2");
    for (auto error : {storeErrorOf(m_repository.savedSteps(m_monitor)),
                       storeErrorOf(m_repository.savedExecution(m_monitor)),
                       storeErrorOf(m_repository.saveSteps(m_monitor, 1, StepsWorkflow{document}))}) {
        EXPECT_EQ(error, MonitorStoreError::unsupportedStepsFormat(2));
    }
    EXPECT_EQ(storeErrorOf(m_database.read([id = m_monitor](SqliteConnection& c) {
                  return SQLiteStepsRepository::stepsModelsAvailable(c, id);
              })),
              MonitorStoreError::unsupportedStepsFormat(2));

    // A time-out of 0 fails the stored document's check, and the models test refuses it too.
    execute("UPDATE monitor_steps SET format_version = 1, workflow_json = json_set(workflow_json, "
            "'$.steps[1].content.read.timeoutSeconds', 0)");
    EXPECT_EQ(storeErrorOf(m_repository.savedSteps(m_monitor)), MonitorStoreError::invalidStoredData());
    EXPECT_EQ(storeErrorOf(m_database.read([id = m_monitor](SqliteConnection& c) {
                  return SQLiteStepsRepository::stepsModelsAvailable(c, id);
              })),
              MonitorStoreError::invalidStoredData());

    // A stored Read step without a model is not a failure of the models test, only a missing model.
    execute("UPDATE monitor_steps SET workflow_json = json_remove('" + original +
            "', '$.steps[1].content.read.modelID')");
    EXPECT_FALSE(modelsAvailable());
    EXPECT_EQ(storeErrorOf(m_repository.savedExecution(m_monitor)),
              MonitorStoreError::validation(storage_messages::selectModelInEveryReadStep));
}

TEST_F(SQLiteStepsRepositoryTest, configuredModelRowsAreDecodedByTheirRules)
{
    struct Row
    {
        const char* name;
        std::string provider;
        std::string identifier;
        std::string host;
        std::optional<ModelSelection> selection; // nothing: invalidStoredData
    };

    const Row rows[] = {
        {"Gemini loses its models/ prefix",
         "gemini",
         "models/gemini-pro",
         "",
         ModelSelection{ModelSelection::Provider::gemini, "gemini-pro", std::nullopt}},
        {"other providers keep it",
         "openAI",
         "models/gpt",
         "",
         ModelSelection{ModelSelection::Provider::openAI, "models/gpt", std::nullopt}},
        {"Ollama keeps its host",
         "ollama",
         "llama3",
         "http://localhost:11434",
         ModelSelection{ModelSelection::Provider::ollama, "llama3", "http://localhost:11434"}},
        {"an Ollama host not in normal form", "ollama", "llama3", "http://LOCALHOST:11434", std::nullopt},
        {"a cloud identifier with a space", "anthropic", "claude 3", "", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Uuid id = Uuid::random();
        execute("INSERT INTO configured_models VALUES ('" + id.lowercaseString() + "', '" + row.provider + "', '" +
                row.identifier + "', '" + row.host + "')");
        const auto selection = [&]() -> std::optional<ModelSelection> {
            try {
                return finish(m_database.read([id](SqliteConnection& c) { return fetchConfiguredModel(c, id); }))
                    .selection;
            } catch (const MonitorStoreError& error) {
                EXPECT_EQ(error, MonitorStoreError::invalidStoredData());
                return std::nullopt;
            }
        }();
        EXPECT_EQ(selection, row.selection);
    }
}

} // namespace
} // namespace tavlen
