#include "BrowserResponse.h"

#include "WireCoding.h"
#include "WireReading.h"

namespace tavlen {

nlohmann::json BrowserResponse::encode() const
{
    nlohmann::json object = {{"status", status.encode()}, {"ok", ok}};
    wire::putIfPresent(object, "requestId", requestID);
    if (snapshot) {
        object["snapshot"] = snapshot->encode();
    }
    if (error) {
        object["error"] = error->encode();
    }
    return object;
}

BrowserResponse BrowserResponse::decode(const simdjson::dom::element& value, WireSnapshotParts& parts)
{
    const wire::Members object(wire::requireObject(value, "A response"));
    BrowserResponse response;
    response.requestID = wire::optionalString(object, "requestId");
    response.status = BrowserStatus::decode(wire::requiredObject(object, "status"));
    response.ok = wire::requiredBool(object, "ok");
    if (const auto snapshot = wire::optionalObject(object, "snapshot")) {
        response.snapshot = BrowserSnapshot::decode(*snapshot, parts);
    }
    if (const auto error = wire::optionalObject(object, "error")) {
        response.error = BrowserToolError::decode(*error);
    }
    return response;
}

bool operator==(const BrowserResponse& a, const BrowserResponse& b)
{
    return wire::sameText(a.requestID, b.requestID) && a.status == b.status && a.ok == b.ok &&
           a.snapshot == b.snapshot && a.error == b.error;
}

} // namespace tavlen
