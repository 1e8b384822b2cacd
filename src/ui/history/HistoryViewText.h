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

} // namespace tavlen::ui::text
