#include "ReadingRouter.h"

#include "MainThread.h"
#include "ProviderFailure.h"
#include "ReadingRequestSupport.h"
#include "TransportText.h"

#include <exception>

namespace tavlen {

ReadingRouter::ReadingRouter(std::shared_ptr<StepsReader> openAI,
                             std::shared_ptr<StepsReader> ollama,
                             std::shared_ptr<StepsReader> anthropic,
                             std::shared_ptr<StepsReader> gemini)
    : m_openAI(std::move(openAI))
    , m_ollama(std::move(ollama))
    , m_anthropic(std::move(anthropic))
    , m_gemini(std::move(gemini))
{}

// One read's place: in line, then holding the turn. However the read ends (an answer, a failure, a stop while
// waiting) the turn it holds, or was given as it stopped, passes on.
class ReadingRouter::Turn
{
public:
    explicit Turn(ReadingRouter& router)
        : m_router(router)
    {}

    ~Turn()
    {
        if (m_held || (m_ticket && !m_router.leaveLine(*m_ticket))) {
            m_router.passTurn();
        }
    }

    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

    // Completes when this read holds the turn; throws CancelledError on a stop first.
    QCoro::Task<void> take(std::stop_token stop)
    {
        if (m_router.m_busy) {
            Completion<void> given;
            m_ticket = ++m_router.m_nextTicket;
            m_router.m_line.emplace_back(*m_ticket, given);
            co_await given.wait(std::move(stop));
            m_ticket.reset();
        } else {
            throwIfStopped(stop);
            m_router.m_busy = true;
        }
        m_held = true;
    }

private:
    ReadingRouter& m_router;
    std::optional<std::uint64_t> m_ticket;
    bool m_held = false;
};

void ReadingRouter::passTurn()
{
    if (m_line.empty()) {
        m_busy = false;
        return;
    }
    const Completion<void> next = m_line.front().second;
    m_line.pop_front();
    next.resume();
}

bool ReadingRouter::leaveLine(std::uint64_t ticket)
{
    for (auto waiting = m_line.begin(); waiting != m_line.end(); ++waiting) {
        if (waiting->first == ticket) {
            m_line.erase(waiting);
            return true;
        }
    }
    return false;
}

StepsReader* ReadingRouter::readerFor(ModelSelection::Provider provider) const
{
    switch (provider) {
    case ModelSelection::Provider::openAI:
        return m_openAI.get();
    case ModelSelection::Provider::anthropic:
        return m_anthropic.get();
    case ModelSelection::Provider::gemini:
        return m_gemini.get();
    case ModelSelection::Provider::ollama:
        return m_ollama.get();
    }
    return nullptr;
}

QCoro::Task<std::vector<Reading>>
ReadingRouter::read(ReadingRequest request, UsageCallback onUsage, std::stop_token stop)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    Turn turn(*this);
    auto taking = turn.take(stop);
    co_await std::move(taking);
    StepsReader* const reader = readerFor(request.selection.provider);
    if (reader == nullptr) {
        throw ProviderFailure(provider_code::unsupportedProvider, provider_text::providerUnavailable, false);
    }
    auto reading = reader->read(std::move(request), std::move(onUsage), std::move(stop));
    co_return co_await std::move(reading);
}

} // namespace tavlen
