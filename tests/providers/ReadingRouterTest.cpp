#include "ReadingRouter.h"

#include "BoundedWait.h"
#include "CancelledError.h"
#include "Completion.h"
#include "ProviderFailure.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using namespace tavlen;
using namespace tavlen::test;
using Provider = ModelSelection::Provider;

namespace {

// A reader that holds each read until the test releases it, and records what it was handed.
class HeldReader final : public StepsReader
{
public:
    HeldReader(std::string name, std::vector<std::string>& handed)
        : m_name(std::move(name))
        , m_handed(handed)
    {}

    std::vector<std::string> calls;
    std::vector<std::int64_t> timeouts;

    void release(std::vector<Reading> readings) { m_pending.resume(std::move(readings)); }

    void fail(std::exception_ptr error) { m_pending.fail(std::move(error)); }

    QCoro::Task<std::vector<Reading>> read(ReadingRequest request, UsageCallback onUsage, std::stop_token) override
    {
        calls.push_back(m_name + ":" + request.selection.modelIdentifier);
        m_handed.push_back(m_name);
        timeouts.push_back(request.timeoutSeconds);
        onUsage(ModelRequestReport::requestSent());
        m_pending = Completion<std::vector<Reading>>();
        auto waiting = m_pending.wait();
        co_return co_await std::move(waiting);
    }

private:
    std::string m_name;
    std::vector<std::string>& m_handed;
    Completion<std::vector<Reading>> m_pending;
};

Reading readingOf(double value)
{
    return Reading{Uuid::random(), "Price", ReadingValue::ofNumber(value)};
}

class ReadingRouterTest : public testing::Test
{
protected:
    QCoro::Task<std::vector<Reading>> read(ReadingRouter& router, Provider provider, std::stop_token stop = {})
    {
        return router.read(
            ReadingRequest{{provider, "model", std::nullopt}, 17, {}, nullptr, {}},
            [this](const ModelRequestReport&) { ++m_reports; },
            stop);
    }

    std::vector<std::string> m_handed; // the readers' names in the order reads reached them
    std::shared_ptr<HeldReader> m_openAI = std::make_shared<HeldReader>("openAI", m_handed);
    std::shared_ptr<HeldReader> m_ollama = std::make_shared<HeldReader>("ollama", m_handed);
    std::shared_ptr<HeldReader> m_anthropic = std::make_shared<HeldReader>("anthropic", m_handed);
    std::shared_ptr<HeldReader> m_gemini = std::make_shared<HeldReader>("gemini", m_handed);
    ReadingRouter m_router{m_openAI, m_ollama, m_anthropic, m_gemini};
    int m_reports = 0;
};

TEST_F(ReadingRouterTest, eachReadGoesUnchangedToItsProvidersReader)
{
    for (const auto& [provider, reader] :
         std::vector<std::pair<Provider, std::shared_ptr<HeldReader>>>{{Provider::openAI, m_openAI},
                                                                       {Provider::anthropic, m_anthropic},
                                                                       {Provider::gemini, m_gemini},
                                                                       {Provider::ollama, m_ollama}}) {
        auto task = read(m_router, provider);
        EXPECT_TRUE(m_router.isBusy());
        const std::vector<Reading> readings{readingOf(2), readingOf(1)};
        reader->release(readings);
        EXPECT_EQ(waitBounded(std::move(task)), readings);
        EXPECT_FALSE(m_router.isBusy());
    }
    EXPECT_EQ(m_openAI->calls, std::vector<std::string>{"openAI:model"});
    EXPECT_EQ(m_gemini->timeouts, std::vector<std::int64_t>{17});
    EXPECT_EQ(m_reports, 4);
}

TEST_F(ReadingRouterTest, aSecondReadWaitsForTheFirstWhetherItSucceedsOrFails)
{
    for (const bool firstFails : {false, true}) {
        SCOPED_TRACE(firstFails ? "the first fails" : "the first succeeds");
        m_openAI->calls.clear();
        m_anthropic->calls.clear();
        auto first = read(m_router, Provider::openAI);
        auto second = read(m_router, Provider::anthropic);
        QCoreApplication::processEvents();
        EXPECT_TRUE(m_anthropic->calls.empty());
        if (firstFails) {
            m_openAI->fail(std::make_exception_ptr(ProviderFailure("execution_timeout", "late")));
            try {
                waitBounded(std::move(first));
                ADD_FAILURE() << "the first read succeeded";
            } catch (const ProviderFailure& failure) {
                EXPECT_EQ(failure, ProviderFailure("execution_timeout", "late"));
            }
        } else {
            m_openAI->release({readingOf(1)});
            waitBounded(std::move(first));
        }
        // The waiting read takes the turn as soon as the first ends.
        ASSERT_TRUE(waitUntil([&] { return !m_anthropic->calls.empty(); }));
        EXPECT_EQ(m_anthropic->calls, std::vector<std::string>{"anthropic:model"});
        EXPECT_TRUE(m_router.isBusy());
        m_anthropic->release({});
        EXPECT_TRUE(waitBounded(std::move(second)).empty());
        EXPECT_FALSE(m_router.isBusy());
    }
}

TEST_F(ReadingRouterTest, aWaitingReadThatIsCancelledLeavesTheTurnToTheRunningOne)
{
    auto first = read(m_router, Provider::gemini);
    std::stop_source stop;
    auto second = read(m_router, Provider::openAI, stop.get_token());
    stop.request_stop();
    EXPECT_THROW(waitBounded(std::move(second), 5s), CancelledError);
    EXPECT_TRUE(m_router.isBusy());
    EXPECT_TRUE(m_openAI->calls.empty());
    m_gemini->release({readingOf(3)});
    EXPECT_EQ(waitBounded(std::move(first)).size(), 1u);
    EXPECT_FALSE(m_router.isBusy());

    // A task cancelled before its turn is not handed to any reader.
    std::stop_source early;
    early.request_stop();
    EXPECT_THROW(waitBounded(read(m_router, Provider::openAI, early.get_token())), CancelledError);
    EXPECT_FALSE(m_router.isBusy());
    EXPECT_TRUE(m_openAI->calls.empty());
}

TEST_F(ReadingRouterTest, waitingReadsAreServedInArrivalOrder_passingOverOneStoppedInLine)
{
    auto running = read(m_router, Provider::openAI);
    auto third = read(m_router, Provider::gemini);
    std::stop_source leaving;
    auto stopped = read(m_router, Provider::openAI, leaving.get_token());
    auto fourth = read(m_router, Provider::ollama);
    auto fifth = read(m_router, Provider::anthropic);
    leaving.request_stop();
    EXPECT_THROW(waitBounded(std::move(stopped)), CancelledError);
    EXPECT_EQ(m_handed, std::vector<std::string>{"openAI"});

    m_openAI->release({});
    waitBounded(std::move(running));
    ASSERT_TRUE(waitUntil([&] { return m_handed.size() == 2; }));
    m_gemini->release({});
    waitBounded(std::move(third));
    ASSERT_TRUE(waitUntil([&] { return m_handed.size() == 3; }));
    m_ollama->fail(std::make_exception_ptr(ProviderFailure("execution_timeout", "late")));
    EXPECT_THROW(waitBounded(std::move(fourth)), ProviderFailure);
    ASSERT_TRUE(waitUntil([&] { return m_handed.size() == 4; }));
    m_anthropic->release({});
    waitBounded(std::move(fifth));
    EXPECT_EQ(m_handed, (std::vector<std::string>{"openAI", "gemini", "ollama", "anthropic"}));
    EXPECT_FALSE(m_router.isBusy());
}

TEST_F(ReadingRouterTest, aProviderWithoutReaderFailsAndFreesTheTurnAtOnce)
{
    ReadingRouter router(m_openAI, m_ollama, nullptr, nullptr);
    try {
        waitBounded(read(router, Provider::anthropic));
        ADD_FAILURE() << "read";
    } catch (const ProviderFailure& failure) {
        EXPECT_EQ(failure, ProviderFailure("unsupported_provider", "This model provider is unavailable."));
        EXPECT_FALSE(failure.knownUnbilled());
    }
    EXPECT_FALSE(router.isBusy());
    EXPECT_EQ(m_reports, 0);
    auto next = read(router, Provider::ollama);
    EXPECT_EQ(m_ollama->calls.size(), 1u);
    m_ollama->release({});
    waitBounded(std::move(next));
}

} // namespace
