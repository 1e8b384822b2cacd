#pragma once

#include <string>
#include <string_view>

namespace tavlen::system_text {

// The names the settings give the services, as they appear inside the failure sentences.
inline constexpr std::string_view keepAwakeName = "Keep computer awake";
inline constexpr std::string_view startAtLoginName = "Start at login";

// "Couldn’t enable Keep computer awake: <description>".
inline std::string changeFailed(bool enabling, std::string_view feature, std::string_view description)
{
    return std::string("Couldn\u2019t ") + (enabling ? "enable" : "disable") + " " + std::string(feature) + ": " +
           std::string(description);
}

inline std::string releaseFailed(std::string_view description)
{
    return "Couldn\u2019t release sleep prevention: " + std::string(description);
}

// The description of a refused or failed idle inhibitor; names the D-Bus error the system answered.
inline std::string powerManagementError(std::string_view errorName)
{
    return "The system returned power management error " + std::string(errorName) + ".";
}

// The name under which the inhibitor is listed (systemd-inhibit --list) and why it is held.
inline constexpr std::string_view inhibitorWho = "Tavlen";
inline constexpr std::string_view inhibitorWhy = "Tavlen scheduled monitoring";

} // namespace tavlen::system_text
