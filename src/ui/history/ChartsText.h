#pragma once

#include <string_view>

// The texts of the Charts tab and its lanes, spelled once.
namespace tavlen::ui::chartsText {

// The tab.
inline constexpr std::string_view timeRange = "Time range";
inline constexpr std::string_view filterPlaceholder = "Filter fields…";
inline constexpr std::string_view filterLabel = "Filter fields by name";
inline constexpr std::string_view clearFilter = "Clear field filter";
inline constexpr std::string_view field = "field";
inline constexpr std::string_view fields = "fields";
inline constexpr std::string_view retry = "Retry";
inline constexpr std::string_view loadingCharts = "Loading charts…";
inline constexpr std::string_view noReadingsTitle = "No readings yet";
inline constexpr std::string_view noReadingsDescription = "Choose what to read in Steps, then choose Check now.";
inline constexpr std::string_view noMatchTitle = "No matching fields";
inline constexpr std::string_view noMatchDescription = "Try another name or clear the filter.";

// The panel.
inline constexpr std::string_view noLongerTracked = "No longer tracked";

// The missing-readings strip.
inline constexpr std::string_view missingReading = " missing reading";
inline constexpr std::string_view missingReadings = " missing readings";
inline constexpr std::string_view expanded = "Expanded";
inline constexpr std::string_view collapsed = "Collapsed";
inline constexpr std::string_view missingTimestamps = "Missing reading timestamps. Hover for check times.";

// The number lane.
inline constexpr std::string_view noNumericReadings = "No numeric readings in this range";
inline constexpr std::string_view numericChartSuffix =
    ", numeric readings over time. Hover for recorded values and timestamps.";
inline constexpr std::string_view selectedValue = "Selected value: ";
// A line's reading or a dot, as accessibility tools read it: "Time: …, Value: …".
inline constexpr std::string_view markTime = "Time: ";
inline constexpr std::string_view markValue = ", Value: ";

// The text lane and its tooltip.
inline constexpr std::string_view noTextReadings = "No text readings in this range";
inline constexpr std::string_view textChartSuffix = ", text states over time. Hover for interval times and text.";
inline constexpr std::string_view emptyText = "Empty text";
inline constexpr std::string_view from = "From ";
inline constexpr std::string_view to = " to ";
inline constexpr std::string_view durationPrefix = ". Duration: ";
inline constexpr std::string_view endNotObserved = ". End not yet observed.";
inline constexpr std::string_view start = "Start";
inline constexpr std::string_view end = "End";
inline constexpr std::string_view duration = "Duration";

} // namespace tavlen::ui::chartsText
