#pragma once

#include "DiscoveredModel.h"
#include "ModelUsage.h"

#include <optional>
#include <utility>

namespace tavlen {

// One event of one model request, handed to the caller's onUsage callback while a read runs, so the check's
// usage counts the request whether or not it succeeds.
class ModelRequestReport
{
public:
    enum class Kind
    {
        requestSent,      // the body is built, has passed its size check and is about to leave
        usage,            // a 2xx answer whose usage could be read
        model,            // the model the Ollama reader resolved before its request
        requestNotBilled, // the request failed in a way the provider is known not to bill
    };

    static ModelRequestReport requestSent() { return ModelRequestReport(Kind::requestSent); }

    static ModelRequestReport usage(ModelUsage usage)
    {
        ModelRequestReport report(Kind::usage);
        report.m_usage = std::move(usage);
        return report;
    }

    static ModelRequestReport model(DiscoveredModel model)
    {
        ModelRequestReport report(Kind::model);
        report.m_model = std::move(model);
        return report;
    }

    static ModelRequestReport requestNotBilled() { return ModelRequestReport(Kind::requestNotBilled); }

    Kind kind() const { return m_kind; }

    // Present exactly for Kind::usage.
    const std::optional<ModelUsage>& usage() const { return m_usage; }

    // Present exactly for Kind::model.
    const std::optional<DiscoveredModel>& model() const { return m_model; }

    friend bool operator==(const ModelRequestReport&, const ModelRequestReport&) = default;

private:
    explicit ModelRequestReport(Kind kind)
        : m_kind(kind)
    {}

    Kind m_kind;
    std::optional<ModelUsage> m_usage;
    std::optional<DiscoveredModel> m_model;
};

} // namespace tavlen
