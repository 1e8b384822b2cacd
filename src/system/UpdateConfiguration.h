#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace tavlen {

// Whether this build updates itself at all, decided once from its Info.json.
struct UpdateConfiguration
{
    static constexpr std::string_view versionKey = "CFBundleShortVersionString";
    static constexpr std::string_view enabledKey = "TavlenUpdatesEnabled";
    static constexpr std::string_view feedURLKey = "TavlenUpdateFeedURL";
    static constexpr std::string_view publicKeyKey = "TavlenUpdatePublicKey";
    // Present in the environment of test runs, which never update.
    static constexpr const char* testingVariable = "TAVLEN_TESTING";

    bool enabled = false;
    std::string version;

    // Enabled only outside tests, with enabledKey exactly "YES", an https feed address with a host and a public
    // key of exactly 32 bytes in strict base64; any flaw switches updates off silently. The version is
    // versionKey's text, else "Development".
    static UpdateConfiguration fromInfoDictionary(const nlohmann::json& info, bool isTesting);

    bool operator==(const UpdateConfiguration&) const = default;
};

} // namespace tavlen
