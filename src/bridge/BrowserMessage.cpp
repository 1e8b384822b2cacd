#include "BrowserMessage.h"

#include "BridgeFailure.h"
#include "JsonWriter.h"
#include "WireCoding.h"
#include "WireReading.h"

#include <array>

namespace tavlen {

namespace {

using Kind = BrowserMessage::Kind;

constexpr std::array<std::string_view, 10> kindNames = {
    "hello", "welcome", "selection", "ping", "pong", "request", "cancel", "response", "status", "unavailable"};

template <class... Handlers> struct Overloaded : Handlers...
{
    using Handlers::operator()...;
};
// Clang 14 does not deduce an aggregate's arguments by itself.
template <class... Handlers> Overloaded(Handlers...) -> Overloaded<Handlers...>;

// The kind's own keys, besides "v", "type" and "connectionId".
void encodeFields(nlohmann::json& object, const BrowserMessage::Payload& payload)
{
    std::visit(Overloaded{
                   [&](const BrowserMessage::Hello& m) {
                       object["profileId"] = m.profileID;
                       object["profileName"] = m.profileName;
                       object["version"] = m.version;
                   },
                   [&](const BrowserMessage::Welcome& m) {
                       object["version"] = m.version;
                       object["selected"] = m.selected;
                   },
                   [&](const BrowserMessage::Selection& m) { object["selected"] = m.selected; },
                   [&](const BrowserMessage::Ping&) {},
                   [&](const BrowserMessage::Pong&) {},
                   [&](const BrowserMessage::Request& m) {
                       wire::putOrNull(object, "executionId", m.executionID);
                       object["sequence"] = m.sequence;
                       object["request"] = m.request.encode();
                   },
                   [&](const BrowserMessage::Cancel& m) {
                       object["executionId"] = m.executionID;
                       object["sequence"] = m.sequence;
                       object["requestId"] = m.requestID;
                   },
                   [&](const BrowserMessage::Response& m) {
                       wire::putOrNull(object, "executionId", m.executionID);
                       object["response"] = m.response.encode();
                   },
                   [&](const BrowserMessage::Status& m) {
                       wire::putOrNull(object, "executionId", m.executionID);
                       object["status"] = m.status.encode();
                   },
                   [&](const BrowserMessage::Unavailable& m) {
                       object["code"] = m.code;
                       object["message"] = m.message;
                   },
               },
               payload);
}

BrowserMessage::Payload decodeFields(Kind kind, const wire::Members& o, WireSnapshotParts& parts)
{
    using M = BrowserMessage;
    switch (kind) {
    case Kind::hello:
        return M::Hello{wire::requiredString(o, "profileId"),
                        wire::requiredString(o, "profileName"),
                        wire::requiredString(o, "version")};
    case Kind::welcome:
        return M::Welcome{wire::requiredString(o, "connectionId"),
                          wire::requiredString(o, "version"),
                          wire::requiredBool(o, "selected")};
    case Kind::selection:
        return M::Selection{wire::requiredString(o, "connectionId"), wire::requiredBool(o, "selected")};
    case Kind::ping:
        return M::Ping{wire::requiredString(o, "connectionId")};
    case Kind::pong:
        return M::Pong{wire::requiredString(o, "connectionId")};
    case Kind::request:
        return M::Request{wire::requiredString(o, "connectionId"),
                          wire::optionalString(o, "executionId"),
                          wire::requiredInteger(o, "sequence"),
                          BrowserRequest::decode(wire::requiredObject(o, "request"))};
    case Kind::cancel:
        return M::Cancel{wire::requiredString(o, "connectionId"),
                         wire::requiredString(o, "executionId"),
                         wire::requiredInteger(o, "sequence"),
                         wire::requiredString(o, "requestId")};
    case Kind::response:
        return M::Response{wire::requiredString(o, "connectionId"),
                           wire::optionalString(o, "executionId"),
                           BrowserResponse::decode(wire::requiredObject(o, "response"), parts)};
    case Kind::status:
        return M::Status{wire::requiredString(o, "connectionId"),
                         wire::optionalString(o, "executionId"),
                         BrowserStatus::decode(wire::requiredObject(o, "status"))};
    case Kind::unavailable:
        return M::Unavailable{wire::requiredString(o, "code"), wire::requiredString(o, "message")};
    }
    throw WireDecodingError("Unknown message kind.");
}

} // namespace

std::optional<std::string> BrowserMessage::connectionID() const
{
    return std::visit(
        [](const auto& m) -> std::optional<std::string> {
            if constexpr (requires { m.connectionID; }) {
                return m.connectionID;
            } else {
                return std::nullopt;
            }
        },
        payload);
}

std::string_view BrowserMessage::kindName(Kind kind)
{
    return kindNames.at(static_cast<std::size_t>(kind));
}

std::optional<BrowserMessage::Kind> BrowserMessage::kindFromName(std::string_view name)
{
    for (std::size_t i = 0; i < kindNames.size(); ++i) {
        if (kindNames[i] == name) {
            return static_cast<Kind>(i);
        }
    }
    return std::nullopt;
}

bool BrowserMessage::travelsToTavlen(Kind kind)
{
    return kind == Kind::hello || kind == Kind::ping || kind == Kind::pong || kind == Kind::response ||
           kind == Kind::status;
}

bool BrowserMessage::travelsToChrome(Kind kind)
{
    return kind != Kind::hello && kind != Kind::response && kind != Kind::status;
}

// Equality of the message kinds: member by member, texts by canonical equivalence like every other record.

bool operator==(const BrowserMessage::Hello& a, const BrowserMessage::Hello& b)
{
    return wire::sameText(a.profileID, b.profileID) && wire::sameText(a.profileName, b.profileName) &&
           wire::sameText(a.version, b.version);
}

bool operator==(const BrowserMessage::Welcome& a, const BrowserMessage::Welcome& b)
{
    return wire::sameText(a.connectionID, b.connectionID) && wire::sameText(a.version, b.version) &&
           a.selected == b.selected;
}

bool operator==(const BrowserMessage::Selection& a, const BrowserMessage::Selection& b)
{
    return wire::sameText(a.connectionID, b.connectionID) && a.selected == b.selected;
}

bool operator==(const BrowserMessage::Ping& a, const BrowserMessage::Ping& b)
{
    return wire::sameText(a.connectionID, b.connectionID);
}

bool operator==(const BrowserMessage::Pong& a, const BrowserMessage::Pong& b)
{
    return wire::sameText(a.connectionID, b.connectionID);
}

bool operator==(const BrowserMessage::Request& a, const BrowserMessage::Request& b)
{
    return wire::sameText(a.connectionID, b.connectionID) && wire::sameText(a.executionID, b.executionID) &&
           a.sequence == b.sequence && a.request == b.request;
}

bool operator==(const BrowserMessage::Cancel& a, const BrowserMessage::Cancel& b)
{
    return wire::sameText(a.connectionID, b.connectionID) && wire::sameText(a.executionID, b.executionID) &&
           a.sequence == b.sequence && wire::sameText(a.requestID, b.requestID);
}

bool operator==(const BrowserMessage::Response& a, const BrowserMessage::Response& b)
{
    return wire::sameText(a.connectionID, b.connectionID) && wire::sameText(a.executionID, b.executionID) &&
           a.response == b.response;
}

bool operator==(const BrowserMessage::Status& a, const BrowserMessage::Status& b)
{
    return wire::sameText(a.connectionID, b.connectionID) && wire::sameText(a.executionID, b.executionID) &&
           a.status == b.status;
}

bool operator==(const BrowserMessage::Unavailable& a, const BrowserMessage::Unavailable& b)
{
    return wire::sameText(a.code, b.code) && wire::sameText(a.message, b.message);
}

nlohmann::json BrowserMessage::encode(std::int64_t protocolVersion) const
{
    nlohmann::json object = nlohmann::json::object();
    object["v"] = protocolVersion;
    if (const auto connection = connectionID()) {
        object["connectionId"] = *connection;
    }
    object["type"] = std::string(kindName(kind()));
    encodeFields(object, payload);
    return object;
}

std::string BrowserMessage::encodedBytes(std::int64_t protocolVersion) const
{
    return writeJson(encode(protocolVersion));
}

BrowserMessage
BrowserMessage::decode(const simdjson::dom::element& value, std::int64_t protocolVersion, WireSnapshotParts& parts)
{
    const wire::Members object(wire::requireObject(value, "A message"));
    if (wire::requiredInteger(object, "v") != protocolVersion) {
        throw BridgeFailure::invalidMessage();
    }
    const auto kind = kindFromName(wire::requiredText(object, "type"));
    if (!kind) {
        throw WireDecodingError("\"type\" is not a known message kind.");
    }
    return BrowserMessage{decodeFields(*kind, object, parts)};
}

} // namespace tavlen
