#pragma once

#include "ChartSnapshotReader.h"
#include "SQLiteMonitorCheckRepository.h"
#include "SQLiteStepsRepository.h"
#include "ScriptedStepsBrowser.h"
#include "ScriptedStepsReader.h"
#include "StepsCaptureService.h"
#include "StepsDraft.h"
#include "StepsSession.h"
#include "StepsStore.h"
#include "VirtualTimeWait.h"
#include "WaitUntil.h"
#include "WorkspaceFixture.h"

#include <QCoreApplication>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavlen::test {

// The workspace file's steps repository, counting the reads of saved steps.
class CountingStepsRepository final : public StepsRepository
{
public:
    CountingStepsRepository(StepsRepository& repository, const TimeSource& time)
        : m_repository(repository)
        , m_time(time)
    {}

    QCoro::Task<std::optional<SavedSteps>> savedSteps(Uuid monitorID, std::stop_token token) override
    {
        ++savedStepsReads;
        if (readDelay > std::chrono::milliseconds(0)) {
            auto sleeping = sleepFor(readDelay, token, m_time);
            co_await std::move(sleeping);
        }
        auto reading = m_repository.savedSteps(monitorID, std::move(token));
        co_return co_await std::move(reading);
    }

    QCoro::Task<SavedExecution> savedExecution(Uuid monitorID, std::stop_token token) override
    {
        ++savedExecutionReads;
        return m_repository.savedExecution(monitorID, std::move(token));
    }

    QCoro::Task<SavedSteps> saveSteps(Uuid monitorID,
                                      std::optional<std::int64_t> expectedVersion,
                                      StepsWorkflow workflow,
                                      std::stop_token token) override
    {
        return m_repository.saveSteps(monitorID, expectedVersion, std::move(workflow), std::move(token));
    }

    int savedStepsReads = 0;
    int savedExecutionReads = 0;
    std::chrono::milliseconds readDelay{0}; // in the test's virtual time, before each read of saved steps

private:
    StepsRepository& m_repository;
    const TimeSource& m_time;
};

// A steps store over a real workspace file, capturing through the real capture service from a scripted browser
// and reading through a scripted reader, in virtual time. One configured model, one monitor.
class StepsStoreWorld : public WorkspaceFixture
{
public:
    static constexpr BrowserCaptureSettings defaultCapture{320, 200, 1, false};

    explicit StepsStoreWorld(bool withCheckRepository = true)
        : m_store(m_repository,
                  m_capture,
                  &m_reader,
                  withCheckRepository ? std::make_shared<SQLiteMonitorCheckRepository>(m_database) : nullptr,
                  std::make_shared<ChartSnapshotReader>(m_database),
                  defaultCapture,
                  m_time)
    {
        m_store.setModels([this] { return m_configured; });
    }

    ~StepsStoreWorld() override
    {
        finishInVirtualTime(m_store.waitUntilIdle(true), m_time);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // An Open page entry with a small viewport, then one Read entry per field list, read by the model.
    StepsDocument document(const std::vector<std::vector<StepsDocument::Field>>& reads)
    {
        StepsDocument stored = sampleDocument(m_modelID, reads, "https://a.test/");
        std::get<StepsDocument::OpenPage>(stored.steps.front().content).viewport = defaultCapture;
        std::get<StepsDocument::OpenPage>(stored.steps.front().content).delay = 0;
        return stored;
    }

    // Stores the workflow directly, as another writer would.
    SavedSteps store(const StepsDocument& stored,
                     std::optional<std::int64_t> expectedVersion = std::nullopt,
                     std::optional<Uuid> monitorID = std::nullopt)
    {
        return finish(m_steps.saveSteps(monitorID.value_or(m_monitor), expectedVersion, StepsWorkflow{stored}));
    }

    std::shared_ptr<StepsSession> load(std::optional<Uuid> monitorID = std::nullopt, bool force = false)
    {
        const Uuid id = monitorID.value_or(m_monitor);
        finishInVirtualTime(m_store.loadSteps(id, force), m_time);
        return m_store.state().session(id);
    }

    // A monitor with one saved Read step, loaded.
    std::shared_ptr<StepsSession> loadSaved(std::optional<Uuid> monitorID = std::nullopt)
    {
        store(document({{numberField("Price")}}), std::nullopt, monitorID);
        return load(monitorID);
    }

    bool save(std::optional<Uuid> monitorID = std::nullopt, StepsStore::StepsWrite write = {})
    {
        return finishInVirtualTime(m_store.saveSteps(monitorID.value_or(m_monitor), std::move(write)), m_time);
    }

    template <class T> T run(QCoro::Task<T> task) { return finishInVirtualTime(std::move(task), m_time); }

    // Runs the event loop while virtual time moves on, until the condition holds.
    void advanceUntil(const std::function<bool()>& condition)
    {
        waitUntil(
            [&] {
                if (!condition()) {
                    m_time.advance(std::chrono::milliseconds(100));
                }
                return condition();
            },
            std::chrono::seconds(60));
        ASSERT_TRUE(condition());
    }

    // Waits for the running execution, if any, to settle.
    void settle()
    {
        if (m_store.state().operation) {
            const TaskHandle<void> operation = *m_store.state().operation;
            finishInVirtualTime(operation.result(), m_time);
        }
    }

    std::shared_ptr<Step> step(const std::shared_ptr<StepsSession>& session, std::size_t position)
    {
        return session->draft()->steps().at(position);
    }

    StepsReadSettings& readSettings(const std::shared_ptr<StepsSession>& session, std::size_t position = 1)
    {
        return *step(session, position)->content().readSettings();
    }

    StepsOpenPageSettings& pageSettings(const std::shared_ptr<StepsSession>& session)
    {
        return *step(session, 0)->content().openPageSettings();
    }

    const StepsStoreState& state() const { return m_store.state(); }

    VirtualTime m_time;
    ScriptedStepsBrowser m_browser{m_time};
    StepsCaptureService m_capture{m_browser, m_time};
    ScriptedStepsReader m_reader{m_time};
    SQLiteStepsRepository m_steps{m_database};
    CountingStepsRepository m_repository{m_steps, m_time};
    Uuid m_modelID = insertModel();
    std::vector<ConfiguredModel> m_configured{
        {m_modelID, ModelSelection{ModelSelection::Provider::openAI, "gpt-4o", std::nullopt}}};
    Uuid m_monitor = insertMonitor();
    StepsStore m_store;
};

} // namespace tavlen::test
