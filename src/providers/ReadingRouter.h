#pragma once

#include "Completion.h"
#include "StepsReader.h"

#include <cstdint>
#include <deque>
#include <memory>

namespace tavlen {

// The one reader the steps executor holds: hands each read unchanged to the reader of the selection's provider,
// one read at a time in the whole application. A read that meets another one waits in line; when a read ends,
// however it ends, the turn passes at once to the read that has waited longest. Main thread.
class ReadingRouter final : public StepsReader
{
public:
    // anthropic and gemini may be absent: their reads then fail. Reads must end before the router.
    ReadingRouter(std::shared_ptr<StepsReader> openAI,
                  std::shared_ptr<StepsReader> ollama,
                  std::shared_ptr<StepsReader> anthropic,
                  std::shared_ptr<StepsReader> gemini);

    // True while a read holds the turn: handed to a reader, or about to be.
    bool isBusy() const { return m_busy; }

    // The chosen reader's readings or failure, unchanged. Throws CancelledError when stop is requested while
    // waiting for the turn (the running read keeps it), ProviderFailure unsupported_provider when the provider
    // has no reader. Reports nothing of its own.
    QCoro::Task<std::vector<Reading>>
    read(ReadingRequest request, UsageCallback onUsage, std::stop_token stop) override;

private:
    class Turn;

    StepsReader* readerFor(ModelSelection::Provider provider) const;
    // Gives the turn to the first read in line, or frees it when none waits.
    void passTurn();
    // Takes a waiting read out of the line; false when it has been given the turn already.
    bool leaveLine(std::uint64_t ticket);

    std::shared_ptr<StepsReader> m_openAI;
    std::shared_ptr<StepsReader> m_ollama;
    std::shared_ptr<StepsReader> m_anthropic;
    std::shared_ptr<StepsReader> m_gemini;
    bool m_busy = false;
    std::uint64_t m_nextTicket = 0;
    std::deque<std::pair<std::uint64_t, Completion<void>>> m_line;
};

} // namespace tavlen
