#include "CheckUsageText.h"

#include "Formatting.h"
#include "HistoryViewText.h"
#include "QtText.h"

#include <cmath>
#include <limits>

namespace tavlen::ui {

namespace {

// Requests whose usage reported token counts.
std::int64_t reportedRequests(const StepsModelUsage& usage)
{
    return usage.reportedTokenRequests.value_or(usage.requests - usage.unreportedRequests);
}

std::int64_t tokensOf(const StepsModelUsage& usage, TokenKind kind)
{
    return kind == TokenKind::input ? usage.inputTokens : usage.outputTokens;
}

std::optional<double> secondsOf(const StepsModelUsage& usage, SecondsField field)
{
    return field == SecondsField::inference ? usage.inferenceSeconds : usage.modelLoadSeconds;
}

// A sum that stops at the largest count instead of wrapping.
struct SaturatingSum
{
    std::int64_t value = 0;
    bool saturated = false;

    void add(std::int64_t term)
    {
        if (__builtin_add_overflow(value, term, &value)) {
            value = term > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
            saturated = true;
        }
    }

    QString text() const { return (saturated ? text::atLeastPrefix : QString()) + formatInteger(value); }
};

} // namespace

QString secondsText(std::optional<double> seconds)
{
    if (!seconds) {
        return missingValueText();
    }
    return formatOneFraction(*seconds) + text::secondsSuffix;
}

QString tokensText(const StepsModelUsage& usage, TokenKind kind)
{
    if (reportedRequests(usage) < 1) {
        return missingValueText();
    }
    const bool partial =
        usage.unreportedRequests > 0 ||
        (usage.reportedTokenRequests && *usage.reportedTokenRequests < usage.requests - usage.unreportedRequests);
    return formatInteger(tokensOf(usage, kind)) + (partial ? text::partialSuffix : QString());
}

QString totalSecondsText(const std::vector<StepsModelUsage>& usages, SecondsField field)
{
    bool any = false;
    double sum = 0;
    bool partial = false;
    for (const StepsModelUsage& usage : usages) {
        const auto seconds = secondsOf(usage, field);
        if (seconds) {
            any = true;
            sum += *seconds;
        }
        if (usage.requests >= 1 && (!seconds || usage.unreportedRequests > 0)) {
            partial = true;
        }
    }
    if (!any || !std::isfinite(sum)) {
        return missingValueText();
    }
    return secondsText(sum) + (partial ? text::partialSuffix : QString());
}

QString totalTokensText(const std::vector<StepsModelUsage>& usages, TokenKind kind)
{
    bool any = false;
    SaturatingSum sum;
    bool partial = false;
    for (const StepsModelUsage& usage : usages) {
        if (reportedRequests(usage) > 0) {
            any = true;
            sum.add(tokensOf(usage, kind));
        }
        const bool underReported =
            usage.reportedTokenRequests && (*usage.reportedTokenRequests < 1 ||
                                            *usage.reportedTokenRequests < usage.requests - usage.unreportedRequests);
        if (usage.requests >= 1 && (usage.unreportedRequests > 0 || underReported)) {
            partial = true;
        }
    }
    if (!any) {
        return missingValueText();
    }
    return sum.text() + (partial ? text::partialSuffix : QString());
}

QString totalRequestsText(const std::vector<StepsModelUsage>& usages)
{
    SaturatingSum sum;
    for (const StepsModelUsage& usage : usages) {
        sum.add(usage.requests);
    }
    return sum.text();
}

QString providerDisplayName(const std::optional<ModelSelection::Provider>& provider)
{
    if (provider) {
        switch (*provider) {
        case ModelSelection::Provider::anthropic:
            return QStringLiteral("Anthropic");
        case ModelSelection::Provider::gemini:
            return QStringLiteral("Gemini");
        case ModelSelection::Provider::ollama:
            return QStringLiteral("Ollama");
        case ModelSelection::Provider::openAI:
            break;
        }
    }
    return QStringLiteral("OpenAI");
}

QString modelDetailsText(const StepsModelUsage& usage)
{
    QStringList lines{providerDisplayName(usage.provider), text::requestedPrefix + toQString(usage.model)};
    const std::pair<const QString&, const std::optional<std::string>&> optional[] = {
        {text::reportedPrefix, usage.reportedModel},
        {text::serverPrefix, usage.ollamaHost},
        {text::digestPrefix, usage.modelDigest},
        {text::quantizationPrefix, usage.quantization},
    };
    for (const auto& [prefix, value] : optional) {
        if (value) {
            lines.push_back(prefix + toQString(*value));
        }
    }
    return lines.join(QLatin1Char('\n'));
}

QString stepText(const std::optional<std::int64_t>& stepNumber)
{
    return stepNumber ? text::readPrefix + QString::number(*stepNumber) : missingValueText();
}

QString usageCellLabel(const QString& column, const QString& value)
{
    return column + QStringLiteral(": ") + (value == missingValueText() ? text::unavailable : value);
}

} // namespace tavlen::ui
