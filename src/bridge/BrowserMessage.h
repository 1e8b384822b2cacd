#pragma once

#include "BrowserRequest.h"
#include "BrowserResponse.h"
#include "BrowserStatus.h"
#include "WireElement.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tavlen {

struct WireSnapshotParts;

// One unit of conversation on the bridge: every frame carries exactly one encoded message.
// Members use "ID", wire keys "Id".
struct BrowserMessage
{
    enum class Kind
    {
        hello,
        welcome,
        selection,
        ping,
        pong,
        request,
        cancel,
        response,
        status,
        unavailable,
    };

    struct Hello
    {
        std::string profileID;
        std::string profileName;
        std::string version;

        bool operator==(const Hello&) const = default;
    };

    struct Welcome
    {
        std::string connectionID;
        std::string version;
        bool selected = false;

        bool operator==(const Welcome&) const = default;
    };

    struct Selection
    {
        std::string connectionID;
        bool selected = false;

        bool operator==(const Selection&) const = default;
    };

    struct Ping
    {
        std::string connectionID;

        bool operator==(const Ping&) const = default;
    };

    struct Pong
    {
        std::string connectionID;

        bool operator==(const Pong&) const = default;
    };

    struct Request
    {
        std::string connectionID;
        std::optional<std::string> executionID;
        std::int64_t sequence = 0;
        BrowserRequest request;

        bool operator==(const Request&) const = default;
    };

    struct Cancel
    {
        std::string connectionID;
        std::string executionID;
        std::int64_t sequence = 0;
        std::string requestID; // the id under which Tavlen awaits the answer to the cancel

        bool operator==(const Cancel&) const = default;
    };

    struct Response
    {
        std::string connectionID;
        std::optional<std::string> executionID;
        BrowserResponse response;

        bool operator==(const Response&) const = default;
    };

    struct Status
    {
        std::string connectionID;
        std::optional<std::string> executionID;
        BrowserStatus status;

        bool operator==(const Status&) const = default;
    };

    struct Unavailable
    {
        std::string code;
        std::string message;

        bool operator==(const Unavailable&) const = default;
    };

    // Alternatives in the order of Kind.
    using Payload = std::variant<Hello, Welcome, Selection, Ping, Pong, Request, Cancel, Response, Status, Unavailable>;

    Payload payload;

    Kind kind() const { return static_cast<Kind>(payload.index()); }

    // The connection id of welcome to status; absent for hello and unavailable.
    std::optional<std::string> connectionID() const;

    // The raw value of a kind ("hello" …), the value of "type" on the wire.
    static std::string_view kindName(Kind kind);
    static std::optional<Kind> kindFromName(std::string_view name);
    // The fixed directions: which kinds may travel from Chrome to Tavlen, and from Tavlen to Chrome.
    static bool travelsToTavlen(Kind kind);
    static bool travelsToChrome(Kind kind);

    // Encodes with "v" = the shared configuration's protocol version (throws BridgeFailure when it cannot be
    // loaded). "executionId" of request, response and status is written as null when absent.
    nlohmann::json encode() const;
    nlohmann::json encode(std::int64_t protocolVersion) const;
    // The bytes of encode(), as they go into a frame.
    std::string encodedBytes() const;

    // Decodes a received message of the given protocol version. Another "v" throws BridgeFailure "Invalid or
    // incompatible browser message." before "type" is looked at; anything else wrong throws WireDecodingError.
    // A snapshot's image and page tree are set aside in `parts` (BrowserSnapshot::decode). Received bytes reach
    // this only through the wire check (BrowserWireReader), which runs the schema first.
    static BrowserMessage decode(const simdjson::dom::element& value,
                                 std::int64_t protocolVersion,
                                 WireSnapshotParts& parts);

    bool operator==(const BrowserMessage&) const = default;
};

} // namespace tavlen
