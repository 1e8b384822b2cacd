#include "BrowserStatus.h"

#include "WireCoding.h"
#include "WireReading.h"

namespace tavlen {

nlohmann::json BrowserToolError::encode() const
{
    return {{"code", code}, {"message", message}};
}

BrowserToolError BrowserToolError::decode(const simdjson::dom::element& value)
{
    const wire::Members object(wire::requireObject(value, "A tool error"));
    return {wire::requiredString(object, "code"), wire::requiredString(object, "message")};
}

bool operator==(const BrowserToolError& a, const BrowserToolError& b)
{
    return wire::sameText(a.code, b.code) && wire::sameText(a.message, b.message);
}

BrowserStatus BrowserStatus::initial(const BrowserLimits& limits)
{
    return {"idle", std::nullopt, false, limits.operations, std::nullopt, std::nullopt};
}

nlohmann::json BrowserStatus::encode() const
{
    nlohmann::json object = {{"state", state}, {"busy", busy}, {"operationsRemaining", operationsRemaining}};
    wire::putOrNull(object, "sessionId", sessionID);
    wire::putOrNull(object, "expiresAt", expiresAt);
    object["lastError"] = lastError ? lastError->encode() : nlohmann::json(nullptr);
    return object;
}

BrowserStatus BrowserStatus::decode(const simdjson::dom::element& value)
{
    const wire::Members object(wire::requireObject(value, "A status"));
    BrowserStatus status;
    status.state = wire::requiredString(object, "state");
    status.sessionID = wire::optionalString(object, "sessionId");
    status.busy = wire::requiredBool(object, "busy");
    status.operationsRemaining = wire::requiredInteger(object, "operationsRemaining");
    status.expiresAt = wire::optionalDouble(object, "expiresAt");
    if (const auto error = wire::optionalObject(object, "lastError")) {
        status.lastError = BrowserToolError::decode(*error);
    }
    return status;
}

bool operator==(const BrowserStatus& a, const BrowserStatus& b)
{
    return wire::sameText(a.state, b.state) && wire::sameText(a.sessionID, b.sessionID) && a.busy == b.busy &&
           a.operationsRemaining == b.operationsRemaining && a.expiresAt == b.expiresAt && a.lastError == b.lastError;
}

} // namespace tavlen
