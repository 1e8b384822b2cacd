#pragma once

#include "CallGate.h"
#include "MonitorRepository.h"

#include <memory>
#include <utility>

namespace tavlen::test {

// The real monitor repository with gates on its reads: each read runs at once and then waits at its gate before
// it answers, so a test decides when, and in which order, the answers arrive.
class GatedMonitorRepository final : public MonitorRepository
{
public:
    explicit GatedMonitorRepository(std::unique_ptr<MonitorRepository> inner)
        : m_inner(std::move(inner))
    {}

    QCoro::Task<std::vector<Monitor>> monitors(std::stop_token token = {}) override
    {
        ++monitorReads;
        auto reading = m_inner->monitors(token);
        std::exception_ptr failure;
        std::vector<Monitor> list;
        try {
            list = co_await std::move(reading);
        } catch (...) {
            failure = std::current_exception();
        }
        auto waiting = monitorsGate.pass();
        co_await std::move(waiting);
        if (failure) {
            std::rethrow_exception(failure);
        }
        co_return list;
    }

    QCoro::Task<std::unordered_map<Uuid, MonitorSidebarSummary>> sidebarSummaries(std::stop_token token = {}) override
    {
        ++summaryReads;
        auto reading = m_inner->sidebarSummaries(token);
        std::exception_ptr failure;
        std::unordered_map<Uuid, MonitorSidebarSummary> summaries;
        try {
            summaries = co_await std::move(reading);
        } catch (...) {
            failure = std::current_exception();
        }
        auto waiting = summariesGate.pass();
        co_await std::move(waiting);
        if (failure) {
            std::rethrow_exception(failure);
        }
        co_return summaries;
    }

    QCoro::Task<Monitor> create(Uuid proposedID, std::string name, std::stop_token token = {}) override
    {
        return m_inner->create(proposedID, std::move(name), token);
    }

    QCoro::Task<SavedMonitorChanges>
    saveChanges(Uuid monitorID, MonitorChanges changes, std::stop_token token = {}) override
    {
        return m_inner->saveChanges(monitorID, std::move(changes), token);
    }

    QCoro::Task<void> deleteMonitor(Uuid monitorID, std::stop_token token = {}) override
    {
        return m_inner->deleteMonitor(monitorID, token);
    }

    QCoro::Task<void> reorder(std::vector<Uuid> monitorIDs, std::stop_token token = {}) override
    {
        return m_inner->reorder(std::move(monitorIDs), token);
    }

    CallGate monitorsGate;
    CallGate summariesGate;
    int monitorReads = 0;
    int summaryReads = 0;

private:
    std::unique_ptr<MonitorRepository> m_inner;
};

} // namespace tavlen::test
