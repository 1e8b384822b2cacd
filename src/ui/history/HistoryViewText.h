#pragma once

#include <QString>

// The texts of the History tab, spelled once. "—" is U+2014.
namespace tavlen::ui::text {

inline const QString stepModelStatistics = QStringLiteral("Step model statistics");
inline const QString step = QStringLiteral("Step");
inline const QString model = QStringLiteral("Model");
inline const QString loading = QStringLiteral("Loading");
inline const QString requests = QStringLiteral("Requests");
inline const QString inference = QStringLiteral("Inference");
inline const QString inputTokens = QStringLiteral("Input tokens");
inline const QString outputTokens = QStringLiteral("Output tokens");
inline const QString total = QStringLiteral("Total");
inline const QString totalLoading = QStringLiteral("Total loading");
inline const QString totalRequests = QStringLiteral("Total requests");
inline const QString totalInference = QStringLiteral("Total inference");
inline const QString totalInputTokens = QStringLiteral("Total input tokens");
inline const QString totalOutputTokens = QStringLiteral("Total output tokens");
inline const QString readPrefix = QStringLiteral("Read ");
inline const QString partialSuffix = QStringLiteral(" (partial)");
inline const QString secondsSuffix = QStringLiteral(" s");
inline const QString unavailable = QStringLiteral("Unavailable");
inline const QString requestedPrefix = QStringLiteral("Requested: ");
inline const QString reportedPrefix = QStringLiteral("Reported: ");
inline const QString serverPrefix = QStringLiteral("Server: ");
inline const QString digestPrefix = QStringLiteral("Digest: ");
inline const QString quantizationPrefix = QStringLiteral("Quantization: ");
inline const QString atLeastPrefix = QStringLiteral("\u2265 ");

// The list.
inline const QString history = QStringLiteral("History");
inline const QString loadingChecks = QStringLiteral("Loading checks\u2026");
inline const QString noChecksTitle = QStringLiteral("No checks yet");
inline const QString noChecksDescription =
    QStringLiteral("Choose Check now to collect your first readings and save them to History.");
inline const QString loadingOlderChecks = QStringLiteral("Loading older checks\u2026");
inline const QString loadOlderChecks = QStringLiteral("Load older checks");
inline const QString retry = QStringLiteral("Retry");
inline const QString deleteCheckTitle = QStringLiteral("Delete this check?");
inline const QString deleteCheckMessagePrefix = QStringLiteral("Permanently delete the check from ");
inline const QString deleteCheckMessageSuffix = QStringLiteral(" and its saved readings? This can\u2019t be undone.");
inline const QString cancel = QStringLiteral("Cancel");
inline const QString deleteCheck = QStringLiteral("Delete");
inline const QString deletingCheck = QStringLiteral("Deleting\u2026");

// A check's row and details.
inline const QString succeeded = QStringLiteral("Succeeded");
inline const QString cancelled = QStringLiteral("Cancelled");
inline const QString failed = QStringLiteral("Failed");
inline const QString expand = QStringLiteral("Expand");
inline const QString collapse = QStringLiteral("Collapse");
inline const QString checkFrom = QStringLiteral(" check from ");
inline const QString expanded = QStringLiteral("Expanded");
inline const QString collapsed = QStringLiteral("Collapsed");
inline const QString collapseHelp = QStringLiteral("Collapse check details");
inline const QString expandHelp = QStringLiteral("Expand usage and check details");
inline const QString noReadings = QStringLiteral("No readings");
inline const QString loadingReadings = QStringLiteral("Loading readings\u2026");
inline const QString showMorePrefix = QStringLiteral("Show ");
inline const QString showMoreSuffix = QStringLiteral(" more");
inline const QString showFewer = QStringLiteral("Show fewer");
inline const QString allReadings = QStringLiteral("All readings");
inline const QString firstFiveReadings = QStringLiteral("First 5 readings");
inline const QString noModelRequests = QStringLiteral("No model requests.");
inline const QString usageUnavailable = QStringLiteral("Usage unavailable for this check.");

} // namespace tavlen::ui::text
