#include "BrowserPendingCommands.h"

#include "BridgeFailure.h"

#include <exception>

namespace tavlen {

bool BrowserPendingCommands::hasStart() const
{
    for (const auto& [requestID, entry] : m_entries) {
        if (entry.command == BrowserCommand::start) {
            return true;
        }
    }
    return false;
}

void BrowserPendingCommands::add(const std::string& requestID, BrowserPendingCommand command)
{
    m_entries.insert_or_assign(requestID, std::move(command));
}

const BrowserPendingCommand* BrowserPendingCommands::find(const std::string& requestID) const
{
    const auto found = m_entries.find(requestID);
    return found == m_entries.end() ? nullptr : &found->second;
}

std::optional<BrowserPendingCommand> BrowserPendingCommands::take(const std::string& requestID)
{
    auto node = m_entries.extract(requestID);
    if (node.empty()) {
        return std::nullopt;
    }
    return std::move(node.mapped());
}

void BrowserPendingCommands::fail(const std::string& peerID,
                                  const std::optional<std::string>& executionID,
                                  std::string_view message,
                                  const std::optional<std::string>& code)
{
    std::vector<Completion<BrowserResponse>> failed;
    for (auto entry = m_entries.begin(); entry != m_entries.end();) {
        const bool selected =
            entry->second.peerID == peerID && (!executionID || entry->second.executionID == executionID);
        if (selected) {
            failed.push_back(entry->second.completion);
            entry = m_entries.erase(entry);
        } else {
            ++entry;
        }
    }
    // Waiters resume through the event loop, so failing them here never re-enters this map.
    for (const auto& completion : failed) {
        completion.fail(std::make_exception_ptr(BridgeFailure(message, code)));
    }
}

std::vector<std::string> BrowserPendingCommands::peersPastDeadline(std::chrono::nanoseconds now) const
{
    std::vector<std::string> peers;
    for (const auto& [requestID, entry] : m_entries) {
        if (now >= entry.deadline) {
            peers.push_back(entry.peerID);
        }
    }
    return peers;
}

} // namespace tavlen
