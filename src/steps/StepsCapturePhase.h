#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace tavlen {

// The phase of a running capture of an Open page step; its display text is its raw value.
enum class StepsCapturePhase
{
    loading,
    waiting,
    capturing,
    closing,
    decoding,
};

inline constexpr std::array<StepsCapturePhase, 5> allStepsCapturePhases{
    StepsCapturePhase::loading,
    StepsCapturePhase::waiting,
    StepsCapturePhase::capturing,
    StepsCapturePhase::closing,
    StepsCapturePhase::decoding,
};

// "Loading page…" and the others; each ends with the one character U+2026.
std::string_view displayText(StepsCapturePhase phase);
// The phase whose display text this is, byte for byte; any other text gives nullopt.
std::optional<StepsCapturePhase> stepsCapturePhaseFromText(std::string_view text);

} // namespace tavlen
