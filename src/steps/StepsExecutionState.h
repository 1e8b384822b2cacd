#pragma once

#include "Reading.h"

#include <string>
#include <variant>
#include <vector>

namespace tavlen {

// The outcome shown on a step card.
class StepsExecutionState
{
public:
    enum class Kind
    {
        succeeded,
        failed,
        unexecuted,
        running,
    };

    // The step ran; the readings it produced (none for an Open page step).
    static StepsExecutionState succeeded(std::vector<Reading> readings);
    // The step failed; the message is what the card shows.
    static StepsExecutionState failed(std::string message);
    static StepsExecutionState unexecuted();
    static StepsExecutionState running();

    StepsExecutionState() = default; // unexecuted

    Kind kind() const;
    // Empty unless succeeded.
    const std::vector<Reading>& readings() const;
    // Empty unless failed.
    const std::string& message() const;

    // Same case and equal payloads: readings element by element, messages by canonical equivalence.
    friend bool operator==(const StepsExecutionState& a, const StepsExecutionState& b);

private:
    struct Succeeded
    {
        std::vector<Reading> readings;
    };

    struct Failed
    {
        std::string message;
    };

    struct Unexecuted
    {};

    struct Running
    {};

    std::variant<Succeeded, Failed, Unexecuted, Running> m_state = Unexecuted{};
};

} // namespace tavlen
