#pragma once

#include "FakeExtension.h"
#include "Sleep.h"
#include "StepsBrowser.h"
#include "TimeSource.h"

#include <chrono>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace tavlen::test {

// A browser whose answers the test sets: each operation answers at once, fails with the error given, or holds
// until its stop token fires (a browser that never answers). Records every call in order.
class ScriptedStepsBrowser final : public StepsBrowser
{
public:
    explicit ScriptedStepsBrowser(const TimeSource& time)
        : m_time(time)
    {}

    bool isConnected() const override { return connected; }

    bool isIdle() const override { return idle; }

    std::string connectionState() const override { return state; }

    std::optional<std::string> connectionID() const override { return connection; }

    QCoro::Task<void> startSession(std::string executionID,
                                   std::string url,
                                   std::optional<BrowserCaptureSettings> viewport,
                                   std::stop_token stop) override
    {
        calls.push_back("start " + url);
        startedExecutionID = executionID;
        startedViewport = viewport;
        co_await answer(startError, holdStart, stop);
    }

    QCoro::Task<BrowserSnapshot> captureSnapshot(int retries, std::stop_token stop) override
    {
        calls.push_back("capture " + std::to_string(retries));
        co_await answer(captureError, holdCapture, stop);
        co_return snapshot.value_or(
            fakeSnapshot(startedViewport.value_or(BrowserCaptureSettings{}), "https://a.test/"));
    }

    QCoro::Task<bool> finishSession(std::string executionID, std::string connectionID) override
    {
        calls.push_back("finish " + connectionID);
        finishedExecutionID = executionID;
        if (onFinish) {
            onFinish();
        }
        co_return finishAnswer;
    }

    bool connected = true;
    bool idle = true;
    std::string state = "Connected to Chrome";
    std::optional<std::string> connection = "connection-1";

    std::exception_ptr startError;
    bool holdStart = false;
    std::exception_ptr captureError;
    bool holdCapture = false;
    std::optional<BrowserSnapshot> snapshot; // default: a good snapshot of the requested viewport
    bool finishAnswer = true;
    std::function<void()> onFinish;

    std::vector<std::string> calls;
    std::string startedExecutionID;
    std::optional<BrowserCaptureSettings> startedViewport;
    std::string finishedExecutionID;

private:
    QCoro::Task<void> answer(std::exception_ptr error, bool hold, std::stop_token stop)
    {
        if (hold) {
            co_await sleepFor(std::chrono::hours(24), stop, m_time);
        }
        if (stop.stop_requested()) {
            throw CancelledError();
        }
        if (error) {
            std::rethrow_exception(error);
        }
    }

    const TimeSource& m_time;
};

} // namespace tavlen::test
