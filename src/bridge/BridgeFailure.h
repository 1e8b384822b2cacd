#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace tavlen {

// Every sentence the browser bridge shows to the user, spelled once.
namespace bridge_text {
inline constexpr std::string_view invalidMessage = "Invalid or incompatible browser message.";
inline constexpr std::string_view chromeDisconnected = "Chrome disconnected. Start a new session after reconnecting.";
inline constexpr std::string_view resourcesMissing = "Browser resources are missing. Reinstall Tavlen.";
inline constexpr std::string_view invalidCaptureSettings =
    "Enter positive viewport dimensions and device scale factor.";
inline constexpr std::string_view unsupportedGeometry =
    "Chrome did not maintain the requested capture viewport or pixel scale. Start a new session.";
inline constexpr std::string_view appUnavailable = "Open Tavlen to connect Chrome.";
inline constexpr std::string_view incompatibleProtocol = "Update Tavlen and the extension to compatible versions.";
inline constexpr std::string_view directoryNotCreated = "Could not create the browser connection directory.";
inline constexpr std::string_view directoryUnsafe = "Browser connection directory permissions are unsafe.";
inline constexpr std::string_view lockUnavailable = "Browser connection lock is unavailable.";
inline constexpr std::string_view connectionOwnedElsewhere =
    "Another Tavlen app owns the browser connection. Quit it and retry.";
inline constexpr std::string_view pathTooLong = "Browser connection path is too long.";
} // namespace bridge_text

// Every machine code the bridge makes, carries or tests.
namespace bridge_code {
inline constexpr std::string_view invalidRequest = "invalid_request";
inline constexpr std::string_view unsupportedGeometry = "unsupported_geometry";
inline constexpr std::string_view busy = "busy";
inline constexpr std::string_view staleSnapshot = "stale_snapshot";
inline constexpr std::string_view stopped = "stopped";
inline constexpr std::string_view appUnavailable = "app_unavailable";
inline constexpr std::string_view incompatibleProtocol = "incompatible_protocol";
} // namespace bridge_code

// The error of the browser bridge: a sentence for the user and, for a few failures, a machine code.
// what() is the sentence.
class BridgeFailure : public std::runtime_error
{
public:
    explicit BridgeFailure(std::string_view message, std::optional<std::string> code = std::nullopt)
        : std::runtime_error(std::string(message))
        , m_code(std::move(code))
    {}

    BridgeFailure(std::string_view message, std::string_view code)
        : BridgeFailure(message, std::optional<std::string>(std::string(code)))
    {}

    // "Invalid or incompatible browser message." without a code: every protocol violation.
    static BridgeFailure invalidMessage() { return BridgeFailure(bridge_text::invalidMessage); }

    std::string message() const { return what(); }

    const std::optional<std::string>& code() const { return m_code; }

    friend bool operator==(const BridgeFailure& a, const BridgeFailure& b)
    {
        return std::string_view(a.what()) == std::string_view(b.what()) && a.m_code == b.m_code;
    }

private:
    std::optional<std::string> m_code;
};

} // namespace tavlen
