#pragma once

#include "CallGate.h"
#include "MonitorRepository.h"
#include "MonitorStoreError.h"

#include <exception>
#include <memory>
#include <optional>
#include <utility>

namespace tavlen::test {

// The workspace's repository with faults a test asks for: a save or create that reaches storage and still
// reports a failure (the answer was lost), a failure before anything is written, and gates on the writes.
class ScriptedMonitorRepository final : public MonitorRepository
{
public:
    explicit ScriptedMonitorRepository(std::shared_ptr<MonitorRepository> inner)
        : m_inner(std::move(inner))
    {}

    QCoro::Task<std::vector<Monitor>> monitors(std::stop_token token = {}) override
    {
        if (std::optional<MonitorStoreError> failure = std::exchange(failNextRead, std::nullopt)) {
            throw *failure;
        }
        auto reading = m_inner->monitors(token);
        co_return co_await std::move(reading);
    }

    QCoro::Task<std::unordered_map<Uuid, MonitorSidebarSummary>> sidebarSummaries(std::stop_token token = {}) override
    {
        return m_inner->sidebarSummaries(token);
    }

    QCoro::Task<Monitor> create(Uuid proposedID, std::string name, std::stop_token token = {}) override
    {
        ++creates;
        if (std::optional<MonitorStoreError> failure = std::exchange(failNextWrite, std::nullopt)) {
            throw *failure;
        }
        auto creating = m_inner->create(proposedID, std::move(name), token);
        co_return co_await std::move(creating);
    }

    QCoro::Task<SavedMonitorChanges>
    saveChanges(Uuid monitorID, MonitorChanges changes, std::stop_token token = {}) override
    {
        ++saves;
        auto waiting = saveGate.pass();
        co_await std::move(waiting);
        if (std::optional<MonitorStoreError> failure = std::exchange(failNextWrite, std::nullopt)) {
            throw *failure;
        }
        auto saving = m_inner->saveChanges(monitorID, std::move(changes), token);
        SavedMonitorChanges saved = co_await std::move(saving);
        if (std::optional<MonitorStoreError> lost = std::exchange(loseNextAnswer, std::nullopt)) {
            throw *lost;
        }
        co_return saved;
    }

    QCoro::Task<void> deleteMonitor(Uuid monitorID, std::stop_token token = {}) override
    {
        auto deleting = m_inner->deleteMonitor(monitorID, token);
        co_await std::move(deleting);
    }

    QCoro::Task<void> reorder(std::vector<Uuid> monitorIDs, std::stop_token token = {}) override
    {
        auto waiting = reorderGate.pass();
        co_await std::move(waiting);
        if (std::optional<MonitorStoreError> failure = std::exchange(failNextWrite, std::nullopt)) {
            throw *failure;
        }
        auto reordering = m_inner->reorder(std::move(monitorIDs), token);
        co_await std::move(reordering);
    }

    std::optional<MonitorStoreError> failNextRead;
    std::optional<MonitorStoreError> failNextWrite;
    std::optional<MonitorStoreError> loseNextAnswer;
    CallGate saveGate;
    CallGate reorderGate;
    int saves = 0;
    int creates = 0;

private:
    std::shared_ptr<MonitorRepository> m_inner;
};

} // namespace tavlen::test
