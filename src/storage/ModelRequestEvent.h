#pragma once

#include "DiscoveredModel.h"
#include "ModelUsage.h"

#include <variant>

namespace tavlen {

// What a model reader reports about one request; the executor folds it into the running check's usage.
class ModelRequestEvent
{
public:
    // A request is about to be sent.
    struct Sent
    {};

    // A request failed in a way the provider is known not to bill.
    struct Unbilled
    {};

    using Value = std::variant<Sent, ModelUsage, DiscoveredModel, Unbilled>;

    static ModelRequestEvent sent() { return ModelRequestEvent(Sent{}); }

    // The provider answered and reported usage.
    static ModelRequestEvent usage(ModelUsage usage) { return ModelRequestEvent(std::move(usage)); }

    // Details of the model became known.
    static ModelRequestEvent model(DiscoveredModel model) { return ModelRequestEvent(std::move(model)); }

    static ModelRequestEvent unbilled() { return ModelRequestEvent(Unbilled{}); }

    const Value& value() const { return m_value; }

private:
    explicit ModelRequestEvent(Value value)
        : m_value(std::move(value))
    {}

    Value m_value;
};

} // namespace tavlen
