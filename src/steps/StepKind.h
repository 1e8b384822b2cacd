#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace tavlen {

// The kind of a workflow step; its display text is its raw value.
enum class StepKind
{
    openPage,
    read,
};

inline constexpr std::array<StepKind, 2> allStepKinds{StepKind::openPage, StepKind::read};

// "Open page" or "Read".
constexpr std::string_view displayText(StepKind kind)
{
    return kind == StepKind::openPage ? "Open page" : "Read";
}

// The kind whose display text this is; any other text gives nullopt.
constexpr std::optional<StepKind> stepKindFromText(std::string_view text)
{
    for (StepKind kind : allStepKinds) {
        if (displayText(kind) == text) {
            return kind;
        }
    }
    return std::nullopt;
}

} // namespace tavlen
