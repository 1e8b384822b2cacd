#pragma once

#include <string_view>

// The sentences of the History and Charts tabs' models, spelled once.
namespace tavlen::history_text {

inline constexpr std::string_view noReadingInCheck = "No reading for this field in this check.";
inline constexpr std::string_view cancelledCheckPrefix = "Cancelled check: ";
inline constexpr std::string_view failedCheckPrefix = "Failed check: ";

inline constexpr std::string_view chartsMonitorGone =
    "This monitor no longer exists. Select another monitor to view its charts.";
inline constexpr std::string_view chartsLoadFailed = "Could not load charts. Retry to read the stored readings again.";

inline constexpr std::string_view historyMonitorGone =
    "This monitor no longer exists. Select another monitor to view its checks.";
inline constexpr std::string_view checksLoadFailed = "Could not load checks. Retry to read them again.";
inline constexpr std::string_view olderChecksLoadFailed =
    "Could not load older checks. Your loaded checks are still available.";
inline constexpr std::string_view readingsLoadFailed = "Could not load readings.";
inline constexpr std::string_view deletionFailed = "Could not delete this check. Try again.";

} // namespace tavlen::history_text
