#pragma once

#include "ChartsDataSource.h"
#include "Completion.h"
#include "HistoryDataSource.h"

#include <deque>

namespace tavlen::test {

// A charts source that answers each request when the test says so, in any order.
class ScriptedChartsSource final : public ChartsDataSource
{
public:
    struct Request
    {
        Uuid monitorID;
        ChartRange range;
        Completion<ChartSnapshot> answer;
        std::stop_token token;
    };

    QCoro::Task<ChartSnapshot> loadSnapshot(Uuid monitorID, ChartRange range, std::stop_token token) override
    {
        Completion<ChartSnapshot> answer;
        requests.push_back({monitorID, range, answer, token});
        co_return co_await answer.wait();
    }

    std::deque<Request> requests;
};

// A history source whose every request waits for the test's answer.
class ScriptedHistorySource final : public HistoryDataSource
{
public:
    struct PageRequest
    {
        std::optional<MonitorCheckCursor> cursor;
        int limit = 0;
        Completion<std::vector<MonitorCheck>> answer;
        std::stop_token token;
    };

    struct ReadingsRequest
    {
        Uuid checkID;
        Completion<std::vector<Reading>> answer;
    };

    struct DeletionRequest
    {
        Uuid checkID;
        Completion<void> answer;
    };

    QCoro::Task<std::vector<MonitorCheck>>
    loadChecks(Uuid, std::optional<MonitorCheckCursor> cursor, int limit, std::stop_token token) override
    {
        Completion<std::vector<MonitorCheck>> answer;
        pages.push_back({cursor, limit, answer, token});
        co_return co_await answer.wait();
    }

    QCoro::Task<std::vector<Reading>> loadReadings(Uuid checkID) override
    {
        Completion<std::vector<Reading>> answer;
        readings.push_back({checkID, answer});
        co_return co_await answer.wait();
    }

    QCoro::Task<void> deleteCheck(Uuid, Uuid checkID) override
    {
        Completion<void> answer;
        deletions.push_back({checkID, answer});
        co_await answer.wait();
    }

    std::deque<PageRequest> pages;
    std::deque<ReadingsRequest> readings;
    std::deque<DeletionRequest> deletions;
};

} // namespace tavlen::test
