#include "BrowserRequest.h"

#include "WireCoding.h"
#include "WireReading.h"

namespace tavlen {

std::string_view browserCommandName(BrowserCommand command)
{
    switch (command) {
    case BrowserCommand::status:
        return "status";
    case BrowserCommand::start:
        return "start";
    case BrowserCommand::capturePage:
        return "capturePage";
    }
    return "status";
}

std::optional<BrowserCommand> browserCommandFromName(std::string_view name)
{
    for (auto command : {BrowserCommand::status, BrowserCommand::start, BrowserCommand::capturePage}) {
        if (browserCommandName(command) == name) {
            return command;
        }
    }
    return std::nullopt;
}

nlohmann::json BrowserRequest::encode() const
{
    nlohmann::json object = {{"requestId", requestID}, {"command", std::string(browserCommandName(command))}};
    wire::putIfPresent(object, "sessionId", sessionID);
    wire::putIfPresent(object, "url", url);
    if (viewport) {
        object["viewport"] = viewport->encode();
    }
    return object;
}

BrowserRequest BrowserRequest::decode(const simdjson::dom::element& value)
{
    const wire::Members object(wire::requireObject(value, "A request"));
    BrowserRequest request;
    request.requestID = wire::requiredString(object, "requestId");
    const auto command = browserCommandFromName(wire::requiredText(object, "command"));
    if (!command) {
        throw WireDecodingError("\"command\" is not a known command.");
    }
    request.command = *command;
    request.sessionID = wire::optionalString(object, "sessionId");
    request.url = wire::optionalString(object, "url");
    if (const auto viewport = wire::optionalObject(object, "viewport")) {
        request.viewport = BrowserCaptureSettings::decode(*viewport);
    }
    return request;
}

bool operator==(const BrowserRequest& a, const BrowserRequest& b)
{
    return wire::sameText(a.requestID, b.requestID) && a.command == b.command &&
           wire::sameText(a.sessionID, b.sessionID) && wire::sameText(a.url, b.url) && a.viewport == b.viewport;
}

} // namespace tavlen
