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
// Members use "ID", wire keys "Id". Equality is member by member, texts by canonical equivalence.
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

        friend bool operator==(const Hello& a, const Hello& b);
    };

    struct Welcome
    {
        std::string connectionID;
        std::string version;
        bool selected = false;

        friend bool operator==(const Welcome& a, const Welcome& b);
    };

    struct Selection
    {
        std::string connectionID;
        bool selected = false;

        friend bool operator==(const Selection& a, const Selection& b);
    };

    struct Ping
    {
        std::string connectionID;

        friend bool operator==(const Ping& a, const Ping& b);
    };

    struct Pong
    {
        std::string connectionID;

        friend bool operator==(const Pong& a, const Pong& b);
    };

    struct Request
    {
        std::string connectionID;
        std::optional<std::string> executionID;
        std::int64_t sequence = 0;
        BrowserRequest request;

        friend bool operator==(const Request& a, const Request& b);
    };

    struct Cancel
    {
        std::string connectionID;
        std::string executionID;
        std::int64_t sequence = 0;
        std::string requestID; // the id under which Tavlen awaits the answer to the cancel

        friend bool operator==(const Cancel& a, const Cancel& b);
    };

    struct Response
    {
        std::string connectionID;
        std::optional<std::string> executionID;
        BrowserResponse response;

        friend bool operator==(const Response& a, const Response& b);
    };

    struct Status
    {
        std::string connectionID;
        std::optional<std::string> executionID;
        BrowserStatus status;

        friend bool operator==(const Status& a, const Status& b);
    };

    struct Unavailable
    {
        std::string code;
        std::string message;

        friend bool operator==(const Unavailable& a, const Unavailable& b);
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

    // Encodes with "v" = the configuration's protocol version. "executionId" of request, response and status is
    // written as null when absent.
    nlohmann::json encode(std::int64_t protocolVersion) const;
    // The bytes of encode(), as they go into a frame.
    std::string encodedBytes(std::int64_t protocolVersion) const;

    // Decodes a received message of the given protocol version. Another "v" throws BridgeFailure "Invalid or
    // incompatible browser message." before "type" is looked at; anything else wrong throws WireDecodingError.
    // A snapshot's image and page tree are set aside in `parts` (BrowserSnapshot::decode). Received bytes reach
    // this only through the wire check (BrowserWireReader), which runs the schema first.
    static BrowserMessage
    decode(const simdjson::dom::element& value, std::int64_t protocolVersion, WireSnapshotParts& parts);

    bool operator==(const BrowserMessage&) const = default;
};

} // namespace tavlen
