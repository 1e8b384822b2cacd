#include "BrowserLimits.h"

#include "WireCoding.h"

namespace tavlen {

nlohmann::json BrowserLimits::encode() const
{
    return {{"requestBytes", requestBytes},
            {"resultBytes", resultBytes},
            {"queueBytes", queueBytes},
            {"sessionMs", sessionMs},
            {"commandMs", commandMs},
            {"operations", operations}};
}

BrowserLimits BrowserLimits::decode(const nlohmann::json& value)
{
    const auto& object = wire::requireObject(value, "Limits");
    return {wire::requiredInteger(object, "requestBytes"),
            wire::requiredInteger(object, "resultBytes"),
            wire::requiredInteger(object, "queueBytes"),
            wire::requiredInteger(object, "sessionMs"),
            wire::requiredInteger(object, "commandMs"),
            wire::requiredInteger(object, "operations")};
}

} // namespace tavlen
