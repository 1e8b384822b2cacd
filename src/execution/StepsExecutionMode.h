#pragma once

#include "Uuid.h"

#include <optional>

namespace tavlen {

// Why an execution runs: a test through one step while editing, a check the user asked for, or a scheduled check.
class StepsExecutionMode
{
public:
    enum class Kind
    {
        testStep,
        manualCheck,
        scheduledCheck,
    };

    static StepsExecutionMode testStep(const Uuid& stepID) { return StepsExecutionMode(Kind::testStep, stepID); }

    static StepsExecutionMode manualCheck() { return StepsExecutionMode(Kind::manualCheck, std::nullopt); }

    static StepsExecutionMode scheduledCheck() { return StepsExecutionMode(Kind::scheduledCheck, std::nullopt); }

    Kind kind() const { return m_kind; }

    // The step to run through; present exactly for a step test.
    const std::optional<Uuid>& stepID() const { return m_stepID; }

    friend bool operator==(const StepsExecutionMode&, const StepsExecutionMode&) = default;

private:
    StepsExecutionMode(Kind kind, std::optional<Uuid> stepID)
        : m_kind(kind)
        , m_stepID(stepID)
    {}

    Kind m_kind;
    std::optional<Uuid> m_stepID;
};

} // namespace tavlen
