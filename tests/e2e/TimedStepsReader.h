#pragma once

#include "StepsReader.h"

#include <chrono>

namespace tavlen::test {

// The reading router as the executor sees it, timing each read it passes on: the crop, the page evidence, the
// model's request and answer, and the readings' checks.
class TimedStepsReader final : public StepsReader
{
public:
    explicit TimedStepsReader(StepsReader& reader)
        : m_reader(reader)
    {}

    std::chrono::steady_clock::duration total() const { return m_total; }

    QCoro::Task<std::vector<Reading>> read(ReadingRequest request, UsageCallback onUsage, std::stop_token stop) override
    {
        const auto started = std::chrono::steady_clock::now();
        std::exception_ptr failure;
        std::vector<Reading> readings;
        try {
            auto reading = m_reader.read(std::move(request), std::move(onUsage), std::move(stop));
            readings = co_await std::move(reading);
        } catch (...) {
            failure = std::current_exception();
        }
        m_total += std::chrono::steady_clock::now() - started;
        if (failure) {
            std::rethrow_exception(failure);
        }
        co_return readings;
    }

private:
    StepsReader& m_reader;
    std::chrono::steady_clock::duration m_total{};
};

} // namespace tavlen::test
