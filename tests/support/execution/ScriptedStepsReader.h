#pragma once

#include "ModelRequestReport.h"
#include "ProviderFailure.h"
#include "Sleep.h"
#include "StepsReader.h"
#include "TimeSource.h"
#include "TimedOutError.h"
#include "Timeout.h"

#include <chrono>
#include <exception>
#include <functional>
#include <optional>
#include <vector>

namespace tavlen::test {

// A reader whose answers the test sets. It reports the usage events given, then answers with the readings
// (by default one per field: 42 for a number field, "ok" for a text field), fails with the error given, or
// holds: until its stop token fires, or, with answersAfter, for that long. Like the real readers it enforces
// the step's time-out, failing with "execution_timeout".
class ScriptedStepsReader final : public StepsReader
{
public:
    using Call = ReadingRequest;

    explicit ScriptedStepsReader(const TimeSource& time)
        : m_time(time)
    {}

    QCoro::Task<std::vector<Reading>> read(ReadingRequest request, UsageCallback onUsage, std::stop_token stop) override
    {
        calls.push_back(request);
        for (const ModelRequestReport& report : reports) {
            onUsage(report);
        }
        if (duringRead) {
            duringRead();
        }
        if (hold) {
            const std::chrono::milliseconds waited = answersAfter.value_or(std::chrono::hours(24));
            auto body = [this, waited](std::stop_token limited) { return sleepFor(waited, limited, m_time); };
            try {
                auto waiting = withTimeout(std::chrono::seconds(request.timeoutSeconds), stop, std::move(body), m_time);
                co_await std::move(waiting);
            } catch (const TimedOutError&) {
                throw ProviderFailure("execution_timeout", "The model did not answer in time.");
            }
        }
        if (error) {
            std::rethrow_exception(error);
        }
        if (readings) {
            co_return *readings;
        }
        std::vector<Reading> answer;
        for (const ReadingField& field : request.fields) {
            answer.push_back(
                {field.id,
                 field.name,
                 field.type == ReadingFieldType::number ? ReadingValue::ofNumber(42) : ReadingValue::ofText("ok")});
        }
        co_return answer;
    }

    std::vector<ModelRequestReport> reports{ModelRequestReport::requestSent()};
    std::function<void()> duringRead;
    bool hold = false;
    std::optional<std::chrono::milliseconds> answersAfter;
    std::exception_ptr error;
    std::optional<std::vector<Reading>> readings;

    std::vector<Call> calls;

private:
    const TimeSource& m_time;
};

} // namespace tavlen::test
