#include "ExecutionText.h"
#include "ModelDiscovery.h"
#include "ModelRepository.h"
#include "ModelSettings.h"
#include "StepsStoreWorld.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>

namespace tavlen::test {
namespace {

struct GateCase
{
    std::string name;
    std::function<void(class StepsStoreGateTest&)> arrange;
    std::optional<std::string> reason;
    bool withCheckRepository = true;
};

// Names the row in test output instead of dumping its bytes.
void PrintTo(const GateCase& row, std::ostream* out)
{
    *out << row.name;
}

class StepsStoreGateTest : public StepsStoreWorld, public testing::WithParamInterface<GateCase>
{
public:
    StepsStoreGateTest()
        : StepsStoreWorld(GetParam().withCheckRepository)
    {}

    using StepsStoreWorld::load;
    using StepsStoreWorld::loadSaved;

    // A check of this monitor's that the workspace file refuses to store: it stays pending.
    void leavePendingResult()
    {
        execute("CREATE TRIGGER refuse BEFORE INSERT ON monitor_checks BEGIN SELECT RAISE(ABORT, 'refused'); END");
        run(m_store.results().recordResult(
            {MonitorCheck{Uuid::random(), m_monitor, 1, 2, std::nullopt, 0, MonitorCheckUsage{}}, {}}));
    }

    // Another monitor's manual check, held in Chrome.
    void holdOtherMonitorsCheck()
    {
        const Uuid other = insertMonitor("Other");
        loadSaved(other);
        m_browser.holdStart = true;
        m_store.startExecution(other, StepsExecutionMode::manualCheck());
        waitUntil([&] { return !m_browser.calls.empty(); });
    }

    StepsStore& store() { return m_store; }

    std::vector<ConfiguredModel>& configured() { return m_configured; }

    ScriptedStepsBrowser& browser() { return m_browser; }

    const Uuid& monitor() const { return m_monitor; }

    void deleteMonitorRow() { execute("DELETE FROM monitors WHERE id = '" + m_monitor.lowercaseString() + "'"); }
};

std::string text(std::string_view sentence)
{
    return std::string(sentence);
}

const GateCase gateCases[] = {
    {"workspaceReasonComesFirst",
     [](StepsStoreGateTest& t) {
         t.loadSaved();
         t.run(t.store().beginDeletingMonitor(t.monitor()));
         t.store().setMonitorCheckUnavailableReason(
             [](const Uuid&) { return std::optional<std::string>("Save monitor changes before running."); });
     },
     "Save monitor changes before running."},
    {"monitorBeingDeleted",
     [](StepsStoreGateTest& t) {
         t.loadSaved();
         t.store().setMonitorCheckUnavailableReason([](const Uuid&) { return std::nullopt; });
         t.run(t.store().beginDeletingMonitor(t.monitor()));
     },
     text(execution_text::monitorBeingDeleted)},
    {"stepsNeverOpened", [](StepsStoreGateTest&) {}, text(execution_text::loadingSteps)},
    {"stepsStillLoading",
     [](StepsStoreGateTest& t) { t.loadSaved()->setIsLoading(true); },
     text(execution_text::loadingSteps)},
    {"firstLoadFailed",
     [](StepsStoreGateTest& t) {
         t.deleteMonitorRow();
         EXPECT_EQ(t.load()->error(), MonitorStoreError::missingMonitor());
     },
     text(execution_text::stepsUnavailable)},
    {"saving", [](StepsStoreGateTest& t) { t.loadSaved()->setIsSaving(true); }, text(execution_text::savingSteps)},
    {"needsReconciliation",
     [](StepsStoreGateTest& t) { t.loadSaved()->setNeedsReconciliation(true); },
     text(execution_text::resolveStorageError)},
    {"pendingResult",
     [](StepsStoreGateTest& t) {
         t.loadSaved();
         t.leavePendingResult();
     },
     text(execution_text::retryStoringResults)},
    {"noCheckStorage",
     [](StepsStoreGateTest& t) { t.loadSaved(); },
     text(execution_text::checkStorageUnavailable),
     false},
    {"neverSaved", [](StepsStoreGateTest& t) { t.load(); }, text(execution_text::saveStepsFirst)},
    {"unsavedEdit",
     [](StepsStoreGateTest& t) { t.pageSettings(t.loadSaved()).setUrl("https://b.test/"); },
     text(execution_text::saveStepsFirst)},
    {"navigating",
     [](StepsStoreGateTest& t) {
         t.loadSaved();
         t.store().setIsNavigating(true);
     },
     text(execution_text::finishNavigation)},
    {"anotherMonitorsCheckRuns",
     [](StepsStoreGateTest& t) {
         t.loadSaved();
         t.holdOtherMonitorsCheck();
     },
     text(execution_text::executionInProgress)},
    {"readModelNoLongerConfigured",
     [](StepsStoreGateTest& t) {
         t.loadSaved();
         t.configured().clear();
     },
     text(execution_text::modelNotConfigured)},
    {"modelsNotInstalled",
     [](StepsStoreGateTest& t) {
         t.loadSaved();
         t.store().setModels(std::nullopt);
     },
     text(execution_text::modelNotConfigured)},
    {"chromeNotConnected",
     [](StepsStoreGateTest& t) {
         t.loadSaved();
         t.browser().connected = false;
         t.browser().state = "Waiting for Chrome...";
     },
     "Waiting for Chrome..." + text(execution_text::connectSuffix)},
    {"chromeBusy",
     [](StepsStoreGateTest& t) {
         t.loadSaved();
         t.browser().idle = false;
     },
     text(execution_text::chromeBusy)},
    {"nothingBlocks", [](StepsStoreGateTest& t) { t.loadSaved(); }, std::nullopt},
};

TEST_P(StepsStoreGateTest, unavailableReason_givesTheFirstReasonThatApplies)
{
    GetParam().arrange(*this);
    EXPECT_EQ(m_store.unavailableReason(m_monitor), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(Reasons,
                         StepsStoreGateTest,
                         testing::ValuesIn(gateCases),
                         [](const testing::TestParamInfo<GateCase>& row) { return row.param.name; });

class StepsStoreGateDetailTest : public StepsStoreWorld
{};

TEST_F(StepsStoreGateDetailTest, sessionErrors_blockUnlessTheyRejectedASave)
{
    const auto session = loadSaved();
    const std::pair<MonitorStoreError, bool> errors[] = {
        {MonitorStoreError::validation("Enter a field name."), false},
        {MonitorStoreError::busy(), false},
        {MonitorStoreError::unsupportedStepsFormat(2), true},
        {MonitorStoreError::missingMonitor(), true},
        {MonitorStoreError::staleEdit(), true},
        {MonitorStoreError::unsupportedSchema(), true},
        {MonitorStoreError::invalidStoredData(), true},
        {MonitorStoreError::storage(), true},
        {MonitorStoreError::interrupted(), true},
    };
    for (const auto& [error, blocks] : errors) {
        SCOPED_TRACE(error.what());
        session->setError(error);
        EXPECT_EQ(m_store.unavailableReason(m_monitor),
                  blocks ? std::optional(text(execution_text::resolveStorageError)) : std::nullopt);
    }
}

TEST_F(StepsStoreGateDetailTest, neverSavedSteps_runOnceSavedWithoutFurtherEdits)
{
    const auto session = load();
    pageSettings(session).setUrl("https://a.test/");
    EXPECT_EQ(m_store.unavailableReason(m_monitor), text(execution_text::saveStepsFirst));
    ASSERT_TRUE(save());
    EXPECT_EQ(m_store.unavailableReason(m_monitor), std::nullopt);
}

TEST_F(StepsStoreGateDetailTest, executionBlocker_examinesTheStepsUpToTheTarget)
{
    store(document({{numberField("Price")}, {numberField("Stock")}}));
    const auto session = load();
    const Uuid page = step(session, 0)->id();
    const Uuid first = step(session, 1)->id();
    const Uuid second = step(session, 2)->id();

    readSettings(session, 2).setModelID(Uuid::random()); // a model that is not configured
    EXPECT_EQ(m_store.executionBlocker(m_monitor, first, true), std::nullopt) << "a later step never blocks";
    EXPECT_EQ(m_store.executionBlocker(m_monitor, second, false), text(execution_text::modelNotConfigured));

    readSettings(session, 1).setModelID(Uuid::random());
    using Kind = StepsExecutionState::Kind;
    const std::pair<StepsExecutionState, bool> earlierStates[] = {
        {StepsExecutionState::succeeded({}), false},
        {StepsExecutionState::failed("Chrome closed."), true},
        {StepsExecutionState::unexecuted(), true},
        {StepsExecutionState::running(), true},
    };
    readSettings(session, 2).setModelID(m_modelID);
    for (const auto& [execution, blocks] : earlierStates) {
        SCOPED_TRACE(static_cast<int>(execution.kind()));
        step(session, 1)->setExecution(execution);
        EXPECT_EQ(m_store.executionBlocker(m_monitor, second, false),
                  blocks ? std::optional(text(execution_text::modelNotConfigured)) : std::nullopt);
        EXPECT_EQ(m_store.executionBlocker(m_monitor, second, true), text(execution_text::modelNotConfigured));
    }
    EXPECT_EQ(step(session, 1)->execution().kind(), Kind::running);

    readSettings(session, 1).setModelID(std::nullopt);
    EXPECT_EQ(m_store.executionBlocker(m_monitor, first, false), "Select a configured AI model.");

    // The executor reports an empty URL when it runs; an impossible viewport keeps the step from starting.
    pageSettings(session).setUrl("");
    EXPECT_EQ(m_store.executionBlocker(m_monitor, page, false), std::nullopt);
    pageSettings(session).setViewportWidthText("0");
    EXPECT_EQ(m_store.executionBlocker(m_monitor, page, false), "Enter a whole number from 1 to 8,000,000 CSS pixels.");

    EXPECT_EQ(m_store.executionBlocker(m_monitor, Uuid::random(), true), std::nullopt) << "no such step";
    EXPECT_EQ(m_store.executionBlocker(Uuid::random(), page, true), std::nullopt) << "no session";
}

TEST_F(StepsStoreGateDetailTest, modelSettings_answerWhichModelsAreConfigured)
{
    loadSaved();
    auto settings = std::make_unique<ModelSettings>(nullptr, nullptr, ModelRegistry{});
    m_store.setModels(*settings);
    EXPECT_EQ(m_store.unavailableReason(m_monitor), text(execution_text::modelNotConfigured));

    settings = std::make_unique<ModelSettings>(nullptr, nullptr, ModelRegistry{m_configured, m_modelID});
    m_store.setModels(*settings);
    EXPECT_EQ(m_store.unavailableReason(m_monitor), std::nullopt);

    settings.reset();
    EXPECT_EQ(m_store.unavailableReason(m_monitor), text(execution_text::modelNotConfigured)) << "settings gone";
}

} // namespace
} // namespace tavlen::test
