#pragma once

#include "BrowserRequest.h"
#include "BrowserResponse.h"
#include "Completion.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlen {

// A command sent to Chrome and not yet answered: its waiter is resumed exactly once, by the matching response
// or by a failure.
struct BrowserPendingCommand
{
    std::string peerID;                     // the connection the command went to
    std::optional<std::string> executionID; // absent for a status request
    std::optional<std::string> sessionID;   // absent for "start", "status" and a cancel
    std::optional<BrowserCommand> command;  // absent for a cancel
    std::chrono::nanoseconds deadline{0};   // client clock
    Completion<BrowserResponse> completion;
};

// The outstanding commands of the browser client, by request id. Main thread only.
class BrowserPendingCommands
{
public:
    bool isEmpty() const { return m_entries.empty(); }

    // True when some outstanding command is a "start".
    bool hasStart() const;

    // Registers a command; an entry with the same request id is replaced.
    void add(const std::string& requestID, BrowserPendingCommand command);

    // The entry, or nullptr; valid until the next change.
    const BrowserPendingCommand* find(const std::string& requestID) const;

    // Removes and returns the entry.
    std::optional<BrowserPendingCommand> take(const std::string& requestID);

    // Removes the commands of the peer (of the execution too, when one is given) and fails each waiter with
    // BridgeFailure(message, code).
    void fail(const std::string& peerID,
              const std::optional<std::string>& executionID,
              std::string_view message,
              const std::optional<std::string>& code = std::nullopt);

    // The peers of the commands whose deadline is at or before now, one entry per command.
    std::vector<std::string> peersPastDeadline(std::chrono::nanoseconds now) const;

private:
    std::map<std::string, BrowserPendingCommand> m_entries;
};

} // namespace tavlen
