#include "StepsExecutionState.h"

#include "Utf8.h"

namespace tavlen {

StepsExecutionState StepsExecutionState::succeeded(std::vector<Reading> readings)
{
    StepsExecutionState state;
    state.m_state = Succeeded{std::move(readings)};
    return state;
}

StepsExecutionState StepsExecutionState::failed(std::string message)
{
    StepsExecutionState state;
    state.m_state = Failed{std::move(message)};
    return state;
}

StepsExecutionState StepsExecutionState::unexecuted()
{
    return StepsExecutionState();
}

StepsExecutionState StepsExecutionState::running()
{
    StepsExecutionState state;
    state.m_state = Running{};
    return state;
}

StepsExecutionState::Kind StepsExecutionState::kind() const
{
    return static_cast<Kind>(m_state.index());
}

const std::vector<Reading>& StepsExecutionState::readings() const
{
    static const std::vector<Reading> none;
    const auto* succeeded = std::get_if<Succeeded>(&m_state);
    return succeeded ? succeeded->readings : none;
}

const std::string& StepsExecutionState::message() const
{
    static const std::string none;
    const auto* failed = std::get_if<Failed>(&m_state);
    return failed ? failed->message : none;
}

bool operator==(const StepsExecutionState& a, const StepsExecutionState& b)
{
    if (a.kind() != b.kind()) {
        return false;
    }
    switch (a.kind()) {
    case StepsExecutionState::Kind::succeeded:
        return readingsEqual(a.readings(), b.readings());
    case StepsExecutionState::Kind::failed:
        return textEqual(a.message(), b.message());
    case StepsExecutionState::Kind::unexecuted:
    case StepsExecutionState::Kind::running:
        return true;
    }
    return true;
}

} // namespace tavlen
