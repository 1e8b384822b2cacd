#include "StepsCapturePhase.h"

namespace tavlen {

std::string_view displayText(StepsCapturePhase phase)
{
    switch (phase) {
    case StepsCapturePhase::loading:
        return "Loading page\u2026";
    case StepsCapturePhase::waiting:
        return "Waiting before screenshot\u2026";
    case StepsCapturePhase::capturing:
        return "Capturing full page\u2026";
    case StepsCapturePhase::closing:
        return "Closing Chrome tab\u2026";
    case StepsCapturePhase::decoding:
        return "Preparing image\u2026";
    }
    return {};
}

std::optional<StepsCapturePhase> stepsCapturePhaseFromText(std::string_view text)
{
    for (StepsCapturePhase phase : allStepsCapturePhases) {
        if (displayText(phase) == text) {
            return phase;
        }
    }
    return std::nullopt;
}

} // namespace tavlen
