#pragma once

#include "MonitorCheckUsage.h"

#include <QString>

#include <optional>
#include <vector>

// The texts of the usage grid's cells, as plain functions of the stored usage.
namespace tavlen::ui {

enum class TokenKind
{
    input,
    output
};

enum class SecondsField
{
    inference,
    modelLoad
};

// "2.3 s" with one fraction digit in the user's locale; "—" without a value.
QString secondsText(std::optional<double> seconds);
// The grouped count, " (partial)" when some requests did not report; "—" when none reported.
QString tokensText(const StepsModelUsage& usage, TokenKind kind);
QString totalSecondsText(const std::vector<StepsModelUsage>& usages, SecondsField field);
QString totalTokensText(const std::vector<StepsModelUsage>& usages, TokenKind kind);
// The grouped sum of the requests; a sum beyond the 64-bit range stops at its largest value, read "≥ …".
QString totalRequestsText(const std::vector<StepsModelUsage>& usages);
QString modelDetailsText(const StepsModelUsage& usage);
QString providerDisplayName(const std::optional<ModelSelection::Provider>& provider);
// "Read 3", or "—" for an older check's single total.
QString stepText(const std::optional<std::int64_t>& stepNumber);
// What a cell says to accessibility: "Loading: Unavailable" for "—".
QString usageCellLabel(const QString& column, const QString& value);

} // namespace tavlen::ui
